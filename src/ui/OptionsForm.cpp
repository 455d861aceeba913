// SPDX-License-Identifier: GPL-3.0-or-later
#include "OptionsForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "Lang.h"
#include "LangTables.h"
#include "ModalResult.h"

TForm9::TForm9(QWidget* parent) : TModalForm(parent, 319, 236) {
  setObjectName(QStringLiteral("OptionsForm"));
  GroupBox1 = new QGroupBox(this);
  GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
  CheckBox1 = new QCheckBox(GroupBox1);
  CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
  CheckBox2 = new QCheckBox(GroupBox1);
  CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
  GroupBox2 = new QGroupBox(this);
  GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
  ComboBox1 = new QComboBox(GroupBox2);
  ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
  ComboBox1->setEditable(false);
  connect(ComboBox1, &QComboBox::currentIndexChanged, this, &TForm9::ComboBox1Change);
  BitBtn1 = NewButton("BitBtn1", mrOk);
  BitBtn1->setDefault(true);
  BitBtn2 = NewButton("BitBtn2", mrCancel);

  auto* options = new QVBoxLayout(GroupBox1);
  options->setSpacing(Margin);
  options->addWidget(CheckBox1);
  options->addWidget(CheckBox2);
  auto* language = new QVBoxLayout(GroupBox2);
  language->addWidget(ComboBox1);

  QVBoxLayout* box = NewColumn();
  box->addWidget(GroupBox1);
  box->addWidget(GroupBox2);
  box->addStretch(1);
  box->addLayout(ButtonRow({BitBtn1, BitBtn2}));

  InitialFocus = CheckBox1;
  FitToTexts();
}

void TForm9::ApplyLanguage(TLang& lang) {
  const TSectionTexts common(lang, CommonLang);
  BitBtn1->setText(common(0));
  BitBtn2->setText(common(1));
  const TSectionTexts text(lang, OptionsFormLang);
  setWindowTitle(text(0));
  GroupBox1->setTitle(text(1));
  GroupBox2->setTitle(text(2));
  CheckBox1->setText(text(3));
  CheckBox2->setText(text(4));
  FitToTexts();
}

int TForm9::ShowModal() {
  {
    // Filling the list is not a choice of the user's: nothing may be selected through it.
    const QSignalBlocker quiet(ComboBox1);
    ComboBox1->clear();
    if (LangManager) {
      for (int i = 0; i < LangManager->Count(); ++i)
        ComboBox1->addItem(QString::fromStdString(LangManager->Items(i)->LangName));
      ComboBox1->setCurrentIndex(LangManager->CurrentIndex());
    }
  }
  return TModalForm::ShowModal();
}

void TForm9::ComboBox1Change(int index) {
  if (LangManager && index >= 0) LangManager->SelectByIndex(index);
}
