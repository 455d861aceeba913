// SPDX-License-Identifier: GPL-3.0-or-later
// SmileExistsForm: the symbol just entered belongs to a smile already. OK (BitBtn2) gives mrOk
// and leaves everything as it was; "Show symbol" (BitBtn1) and the close box give mrCancel, on
// which the main window selects that smile and symbol.
#pragma once

#include "DialogForm.h"

class TForm6 : public TModalForm {
  Q_OBJECT

public:
  explicit TForm6(QWidget* parent = nullptr);

  void ApplyLanguage(TLang& lang) override;

  QLabel* Label1;        // the message
  QPushButton* BitBtn1;  // "Show symbol", mrCancel
  QPushButton* BitBtn2;  // OK, mrOk; the default button
};
