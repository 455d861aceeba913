// SPDX-License-Identifier: GPL-3.0-or-later
// LoadForm: the progress window shown while packs are opened and while the packs left in the
// workspace are reloaded at start. Shown and hidden by the main window (show()/hide(), never
// modally); it has no buttons, and the user cannot close it.
#pragma once

#include "DialogForm.h"

class QProgressBar;

class TForm2 : public TDialogForm {
  Q_OBJECT

public:
  explicit TForm2(QWidget* parent = nullptr);

  void ApplyLanguage(TLang& lang) override;

  QLabel* Label1;  // caption of the current stage
  QLabel* Label2;  // the stage name
  QLabel* Label3;  // caption of the current file
  QLabel* Label4;  // the file name
  QLabel* Label5;  // caption of the error count
  QLabel* Label6;  // the error count
  QProgressBar* ProgressBar1;

protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override;
};
