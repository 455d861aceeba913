// SPDX-License-Identifier: GPL-3.0-or-later
// WarningForm: confirmation before an operation that cannot be undone. The main window clears
// CheckBox1 before each showing and afterwards stores the warnings option as its inverse. Yes
// (BitBtn1) gives mrOk; Cancel (BitBtn2) and the close box give mrCancel.
#pragma once

#include "DialogForm.h"

class QCheckBox;

class TForm7 : public TModalForm {
  Q_OBJECT

public:
  explicit TForm7(QWidget* parent = nullptr);

  void ApplyLanguage(TLang& lang) override;
  // What the warning is about, in place of the language's general text; the window grows to
  // show it whole.
  void SetMessage(const QString& text);

  QLabel* Label1;        // "Warning!"
  QLabel* Label2;        // the question
  QCheckBox* CheckBox1;  // don't show warnings again
  QPushButton* BitBtn1;  // Yes, mrOk; the default button
  QPushButton* BitBtn2;  // Cancel, mrCancel
};
