// SPDX-License-Identifier: GPL-3.0-or-later
#include "ErrorForm.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "Lang.h"
#include "LangTables.h"
#include "ModalResult.h"

TForm8::TForm8(QWidget* parent) : TModalForm(parent, 341, 140) {
  setObjectName(QStringLiteral("ErrorForm"));
  Label1 = NewMessageLabel("Label1");
  BitBtn2 = NewButton("BitBtn2", mrOk);
  BitBtn2->setDefault(true);

  QVBoxLayout* box = NewColumn();
  box->addWidget(Label1, 1);
  box->addLayout(ButtonRow({BitBtn2}));

  InitialFocus = BitBtn2;
  FitToTexts();
}

void TForm8::ApplyLanguage(TLang& lang) {
  const TSectionTexts common(lang, CommonLang);
  BitBtn2->setText(common(0));
  const TSectionTexts text(lang, ErrorFormLang);
  setWindowTitle(text(0));
  Label1->setText(text(1));
  FitToTexts();
}
