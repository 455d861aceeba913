// SPDX-License-Identifier: GPL-3.0-or-later
#include "CheckForm.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "Lang.h"
#include "LangTables.h"

TForm10::TForm10(QWidget* parent) : TPreviewForm(parent, 354, 463) {
  setObjectName(QStringLiteral("CheckForm"));
  Label1 = NewWrappedLabel("Label1");
  Label2 = NewLabel("Label2");
  Label3 = NewLabel("Label3");
  SetTextColor(Label3, Maroon);
  Label7 = NewLabel("Label7");
  Label8 = NewLabel("Label8");
  Label4 = NewLabel("Label4");
  Label5 = NewLabel("Label5");
  SetTextColor(Label5, Green);
  Label9 = NewLabel("Label9");
  Label6 = NewWrappedLabel("Label6");
  Label11 = NewWrappedLabel("Label11");
  for (QLabel* label : {Label1, Label2, Label3, Label7, Label8, Label4, Label5, Label9, Label6,
                        Label11})
    SetPixelFont(label, TextPixels);
  for (QLabel* value : {Label3, Label8, Label5}) {
    value->setTextFormat(Qt::PlainText);
    value->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  }

  auto* values = new QGridLayout;
  values->setHorizontalSpacing(Margin);
  values->setVerticalSpacing(2);
  values->addWidget(Label2, 0, 0);
  values->addWidget(Label3, 0, 1);
  values->addWidget(Label7, 1, 0);
  values->addWidget(Label8, 1, 1);
  values->addWidget(Label4, 2, 0);
  values->addWidget(Label5, 2, 1);
  values->addWidget(Label9, 3, 0, Qt::AlignTop);
  values->addLayout(PreviewRow(), 3, 1);
  values->setColumnStretch(1, 1);

  QVBoxLayout* box = NewColumn();
  box->setSpacing(6);
  box->addWidget(Label1);
  box->addLayout(values);
  box->addWidget(Label6);
  box->addWidget(Label11);
  box->addStretch(1);
  box->addLayout(ButtonGrid());

  FitToTexts();
}

void TForm10::ApplyLanguage(TLang& lang) {
  const TSectionTexts text(lang, CheckFormLang);
  setWindowTitle(text(0));
  Label1->setText(text(1));
  Label2->setText(text(2));
  Label7->setText(text(3));
  Label4->setText(text(4));
  Label9->setText(text(5));
  Label6->setText(text(6));
  Label11->setText(text(7));
  BitBtn1->setText(text(8));
  BitBtn3->setText(text(9));
  BitBtn2->setText(text(10));
  BitBtn4->setText(text(11));
  FitToTexts();
}
