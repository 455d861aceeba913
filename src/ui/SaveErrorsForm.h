// SPDX-License-Identifier: GPL-3.0-or-later
// SaveErrorsForm: before a save, when the pack has errors, shows how many of each kind there
// are and asks whether to save all the same. The main window writes the three counts into
// Label7, Label8 and Label10 and lists the smiles in question in ListBox1. Yes (BitBtn1) gives
// mrOk, Cancel (BitBtn2) and the close box mrCancel; choosing a smile of the list (a double
// click, or Enter) sets ChosenRow to its row and gives mrCancel.
#pragma once

#include "DialogForm.h"

class QListWidget;

class TForm3 : public TModalForm {
  Q_OBJECT

public:
  explicit TForm3(QWidget* parent = nullptr);

  void ApplyLanguage(TLang& lang) override;

  QPushButton* BitBtn1;  // Yes, mrOk; the default button
  QPushButton* BitBtn2;  // Cancel, mrCancel
  QLabel* Label1;        // "Warning!"
  QLabel* Label2;        // the pack has errors
  QLabel* Label3;        // caption of the load error count
  QLabel* Label4;        // caption of the missing file count
  QLabel* Label9;        // caption of the count of smiles without symbols
  QLabel* Label7;        // load errors
  QLabel* Label8;        // missing files
  QLabel* Label10;       // smiles without symbols
  QLabel* Label5;        // what the errors may lead to
  QLabel* Label6;        // the question
  QLabel* Label11;       // above the list
  QListWidget* ListBox1; // the smiles in question
  int ChosenRow = -1;    // the smile the user chose to go to; -1 for none

  int ShowModal() override;
};
