// SPDX-License-Identifier: GPL-3.0-or-later
// AboutForm: the about box. Its texts are the program's own (title, version, author, a further
// line and the web address); only the words "Version:" and "Author:", the licence line and the
// caption come from the language. Clicking the address opens it in the desktop's browser. OK (BitBtn1) gives
// mrOk, the close box mrCancel.
#pragma once

#include "DialogForm.h"

class TForm5 : public TModalForm {
  Q_OBJECT

public:
  explicit TForm5(QWidget* parent = nullptr);

  void ApplyLanguage(TLang& lang) override;

  static constexpr const char* Title = "Fennimo";
  static constexpr const char* Author = "The Fennimo developers";
  static constexpr const char* Further = "A smile pack editor for Parlino";
  static constexpr const char* Address = "https://fennimo.example.org/";
  // The version the program was built as.
  static const char* Version();

  QPushButton* BitBtn1;  // OK, mrOk
  QLabel* Image1;        // the program's picture, 73 x 73
  QLabel* StaticText1;   // title
  QLabel* StaticText2;   // "Version:" and the version
  QLabel* StaticText3;   // "Author:" and the author
  QLabel* StaticText4;   // the further line
  QLabel* StaticText5;   // the licence: GNU GPL version 3 or later
  QLabel* Label1;        // the web address, a link

private:
  void Label1Click();
};
