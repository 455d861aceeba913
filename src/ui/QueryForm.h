// SPDX-License-Identifier: GPL-3.0-or-later
// QueryForm: save the changes before the packs are closed or replaced? Its caption is the main
// window's, set by the main window whenever it applies a language. Yes (BitBtn1) gives mrYes,
// No (BitBtn2) mrNo, Cancel (BitBtn3) and the close box mrCancel.
#pragma once

#include "DialogForm.h"

class TForm11 : public TModalForm {
  Q_OBJECT

public:
  explicit TForm11(QWidget* parent = nullptr);

  void ApplyLanguage(TLang& lang) override;

  QLabel* Label1;        // the question
  QPushButton* BitBtn1;  // Yes, mrYes; the default button
  QPushButton* BitBtn2;  // No, mrNo
  QPushButton* BitBtn3;  // Cancel, mrCancel
};
