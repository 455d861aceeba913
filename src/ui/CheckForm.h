// SPDX-License-Identifier: GPL-3.0-or-later
// CheckForm: while a pack is opened, a smile's picture file does not exist. The main window fills
// the values (Label3 the missing file, Label8 the symbol, Label5 the next existing file) and the
// preview of the next file's smile (Preview, Label10), then calls ShowModal. Replace (BitBtn1)
// gives mrOk, Replace all (BitBtn3) mrAll, Skip (BitBtn2, the default) mrNo, Skip all (BitBtn4)
// and the close box mrCancel.
#pragma once

#include "PreviewForm.h"

class TForm10 : public TPreviewForm {
  Q_OBJECT

public:
  explicit TForm10(QWidget* parent = nullptr);

  void ApplyLanguage(TLang& lang) override;

  QLabel* Label1;   // what happened
  QLabel* Label2;   // caption of the missing file
  QLabel* Label3;   // the missing file, maroon
  QLabel* Label7;   // caption of the symbol
  QLabel* Label8;   // the symbol
  QLabel* Label4;   // caption of the next file
  QLabel* Label5;   // the next existing file, green
  QLabel* Label9;   // caption of the preview
  QLabel* Label6;   // when to replace and when to skip
  QLabel* Label11;  // what replacing does
};
