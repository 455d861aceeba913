// SPDX-License-Identifier: GPL-3.0-or-later
#include "QueryForm.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "Lang.h"
#include "LangTables.h"
#include "ModalResult.h"

TForm11::TForm11(QWidget* parent) : TModalForm(parent, 331, 108) {
  setObjectName(QStringLiteral("QueryForm"));
  Label1 = NewWrappedLabel("Label1");
  SetPixelFont(Label1, 16);
  BitBtn1 = NewButton("BitBtn1", mrYes);
  BitBtn1->setDefault(true);
  BitBtn2 = NewButton("BitBtn2", mrNo);
  BitBtn3 = NewButton("BitBtn3", mrCancel);

  auto* box = new QVBoxLayout(this);
  box->setContentsMargins(2 * Margin, 2 * Margin, Margin, Margin);
  box->setSpacing(Margin);
  box->addWidget(Label1, 1, Qt::AlignTop);
  box->addLayout(ButtonRow({BitBtn1, BitBtn2, BitBtn3}));

  InitialFocus = BitBtn1;
  FitToTexts();
}

void TForm11::ApplyLanguage(TLang& lang) {
  const TSectionTexts common(lang, CommonLang);
  BitBtn1->setText(common(2));
  BitBtn2->setText(common(3));
  BitBtn3->setText(common(1));
  const TSectionTexts text(lang, QueryFormLang);
  Label1->setText(text(0));
  FitToTexts();
}
