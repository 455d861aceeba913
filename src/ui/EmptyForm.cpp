// SPDX-License-Identifier: GPL-3.0-or-later
#include "EmptyForm.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "Lang.h"
#include "LangTables.h"

TForm12::TForm12(QWidget* parent) : TPreviewForm(parent, 346, 323) {
  setObjectName(QStringLiteral("EmptyForm"));
  Label1 = NewWrappedLabel("Label1");
  Label2 = NewLabel("Label2");
  Label3 = NewLabel("Label3");
  SetTextColor(Label3, Maroon);
  Label3->setTextFormat(Qt::PlainText);
  Label3->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  Label9 = NewLabel("Label9");
  Label4 = NewWrappedLabel("Label4");
  for (QLabel* label : {Label1, Label2, Label3, Label9, Label4}) SetPixelFont(label, TextPixels);

  auto* values = new QGridLayout;
  values->setHorizontalSpacing(Margin);
  values->setVerticalSpacing(Margin / 2);
  values->addWidget(Label2, 0, 0);
  values->addWidget(Label3, 0, 1);
  values->addWidget(Label9, 1, 0, Qt::AlignTop);
  values->addLayout(PreviewRow(), 1, 1);
  values->setColumnStretch(1, 1);

  QVBoxLayout* box = NewColumn();
  box->addWidget(Label1);
  box->addLayout(values);
  box->addWidget(Label4);
  box->addStretch(1);
  box->addLayout(ButtonGrid());

  FitToTexts();
}

void TForm12::ApplyLanguage(TLang& lang) {
  const TSectionTexts text(lang, EmptyFormLang);
  setWindowTitle(text(0));
  Label1->setText(text(1));
  Label2->setText(text(2));
  Label9->setText(text(3));
  Label4->setText(text(4));
  BitBtn1->setText(text(5));
  BitBtn3->setText(text(6));
  BitBtn2->setText(text(7));
  BitBtn4->setText(text(8));
  FitToTexts();
}
