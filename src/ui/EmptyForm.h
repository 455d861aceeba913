// SPDX-License-Identifier: GPL-3.0-or-later
// EmptyForm: while a pack is opened, a line of _define.ini carries no symbol. The main window
// fills Label3 (the picture file of that line) and the preview of its smile (Preview, Label10),
// then calls ShowModal. Delete (BitBtn1) gives mrOk, Delete all (BitBtn3) mrAll, Skip (BitBtn2,
// the default) mrNo, Skip all (BitBtn4) and the close box mrCancel.
#pragma once

#include "PreviewForm.h"

class TForm12 : public TPreviewForm {
  Q_OBJECT

public:
  explicit TForm12(QWidget* parent = nullptr);

  void ApplyLanguage(TLang& lang) override;

  QLabel* Label1;  // what happened
  QLabel* Label2;  // caption of the file
  QLabel* Label3;  // the picture file of the line, maroon
  QLabel* Label9;  // caption of the preview
  QLabel* Label4;  // when to delete and when to skip
};
