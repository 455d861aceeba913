// SPDX-License-Identifier: GPL-3.0-or-later
// NewSymbolForm: entry of one symbol, for adding, finding and editing symbols. The main window
// sets the caption (and, for editing, the text of Edit1) before each showing and reads Edit1
// after mrOk. Both buttons first strip blanks and control characters from both ends of Edit1;
// OK (BitBtn1, also Enter) then gives mrOk, even for an empty text, and Cancel (BitBtn2, also
// Escape) and the close box give mrCancel.
#pragma once

#include "DialogForm.h"

class QLineEdit;

class TForm4 : public TModalForm {
  Q_OBJECT

public:
  explicit TForm4(QWidget* parent = nullptr);

  void ApplyLanguage(TLang& lang) override;

  QLabel* Label1;  // caption of the entry field
  QLineEdit* Edit1;
  QPushButton* BitBtn1;  // OK, mrOk; the default button
  QPushButton* BitBtn2;  // Cancel, mrCancel

protected:
  void showEvent(QShowEvent* event) override;
  void reject() override;

private:
  void TrimEdit1();
};

// The text without the blanks and control characters at either end.
QString TrimBlanksAndControls(const QString& text);
