// SPDX-License-Identifier: GPL-3.0-or-later
// ErrorForm: at start, the workspace is in use by another running instance. OK (BitBtn2) gives
// mrOk, the close box mrCancel; the program ends either way.
#pragma once

#include "DialogForm.h"

class TForm8 : public TModalForm {
  Q_OBJECT

public:
  explicit TForm8(QWidget* parent = nullptr);

  void ApplyLanguage(TLang& lang) override;

  QLabel* Label1;        // the message
  QPushButton* BitBtn2;  // OK, mrOk; the default button
};
