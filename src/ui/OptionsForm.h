// SPDX-License-Identifier: GPL-3.0-or-later
// OptionsForm: the two workspace options and the language. The main window sets the check
// boxes and lends LangManager (scanned, with the stored language current) before showing, and
// reads the check boxes after mrOk. Each showing lists the manager's languages in ComboBox1
// with the current one selected; every change of the selection makes that language current
// through LangManager->SelectByIndex, whose notification re-labels every window, this one
// included, while it is open. OK (BitBtn1) gives mrOk; Cancel (BitBtn2) and the close box
// mrCancel.
#pragma once

#include "DialogForm.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class TLangManager;

class TForm9 : public TModalForm {
  Q_OBJECT

public:
  explicit TForm9(QWidget* parent = nullptr);

  void ApplyLanguage(TLang& lang) override;
  int ShowModal() override;

  // Lent by the main window for the time the dialog is shown; never owned.
  TLangManager* LangManager = nullptr;

  QGroupBox* GroupBox1;   // frame around the two check boxes
  QCheckBox* CheckBox1;   // close the packs when the program ends
  QCheckBox* CheckBox2;   // show warnings
  QGroupBox* GroupBox2;   // frame around the language list
  QComboBox* ComboBox1;   // the languages, without free text
  QPushButton* BitBtn1;   // OK, mrOk; the default button
  QPushButton* BitBtn2;   // Cancel, mrCancel

private:
  void ComboBox1Change(int index);
};
