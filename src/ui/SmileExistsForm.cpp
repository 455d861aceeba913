// SPDX-License-Identifier: GPL-3.0-or-later
#include "SmileExistsForm.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "Lang.h"
#include "LangTables.h"
#include "ModalResult.h"

TForm6::TForm6(QWidget* parent) : TModalForm(parent, 341, 154) {
  setObjectName(QStringLiteral("SmileExistsForm"));
  Label1 = NewMessageLabel("Label1");
  BitBtn1 = NewButton("BitBtn1", mrCancel);
  BitBtn2 = NewButton("BitBtn2", mrOk);
  BitBtn2->setDefault(true);

  QVBoxLayout* box = NewColumn();
  box->addWidget(Label1, 1);
  box->addLayout(ButtonRow({BitBtn1, BitBtn2}));

  InitialFocus = BitBtn2;
  FitToTexts();
}

void TForm6::ApplyLanguage(TLang& lang) {
  const TSectionTexts common(lang, CommonLang);
  BitBtn2->setText(common(0));
  const TSectionTexts text(lang, SmileExistsFormLang);
  setWindowTitle(text(0));
  Label1->setText(text(1));
  BitBtn1->setText(text(2));
  FitToTexts();
}
