// SPDX-License-Identifier: GPL-3.0-or-later
#include "WarningForm.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "Lang.h"
#include "LangTables.h"
#include "ModalResult.h"

TForm7::TForm7(QWidget* parent) : TModalForm(parent, 362, 195) {
  setObjectName(QStringLiteral("WarningForm"));
  Label1 = NewWarningLabel("Label1");
  Label2 = NewMessageLabel("Label2");
  CheckBox1 = new QCheckBox(this);
  CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
  BitBtn1 = NewButton("BitBtn1", mrOk);
  BitBtn1->setDefault(true);
  BitBtn2 = NewButton("BitBtn2", mrCancel);

  QVBoxLayout* box = NewColumn();
  box->addWidget(Label1);
  box->addWidget(Label2, 1);
  box->addWidget(CheckBox1);
  box->addLayout(ButtonRow({BitBtn1, BitBtn2}));
  setTabOrder(CheckBox1, BitBtn1);

  InitialFocus = BitBtn1;
  FitToTexts();
}

void TForm7::SetMessage(const QString& text) {
  Label2->setText(text);
  FitToTexts();
}

void TForm7::ApplyLanguage(TLang& lang) {
  const TSectionTexts common(lang, CommonLang);
  BitBtn1->setText(common(2));
  BitBtn2->setText(common(1));
  const TSectionTexts text(lang, WarningFormLang);
  setWindowTitle(text(0));
  Label1->setText(text(1));
  Label2->setText(text(2));
  CheckBox1->setText(text(3));
  FitToTexts();
}
