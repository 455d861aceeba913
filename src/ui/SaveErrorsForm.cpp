// SPDX-License-Identifier: GPL-3.0-or-later
#include "SaveErrorsForm.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "Lang.h"
#include "LangTables.h"
#include "ModalResult.h"

TForm3::TForm3(QWidget* parent) : TModalForm(parent, 343, 328) {
  setObjectName(QStringLiteral("SaveErrorsForm"));
  Label1 = NewWarningLabel("Label1");
  Label2 = NewWrappedLabel("Label2");
  Label3 = NewLabel("Label3");
  Label7 = NewLabel("Label7");
  Label4 = NewLabel("Label4");
  Label8 = NewLabel("Label8");
  Label9 = NewLabel("Label9");
  Label10 = NewLabel("Label10");
  Label11 = NewWrappedLabel("Label11");
  ListBox1 = new QListWidget(this);
  ListBox1->setObjectName(QStringLiteral("ListBox1"));
  ListBox1->setMinimumHeight(90);
  connect(ListBox1, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
    ChosenRow = ListBox1->row(item);
    done(mrCancel);
  });
  Label5 = NewWrappedLabel("Label5");
  Label6 = NewWrappedLabel("Label6");
  BitBtn1 = NewButton("BitBtn1", mrOk);
  BitBtn1->setDefault(true);
  BitBtn2 = NewButton("BitBtn2", mrCancel);

  auto* counts = new QGridLayout;
  counts->setContentsMargins(2 * Margin, 0, 0, 0);
  counts->setHorizontalSpacing(Margin);
  counts->setVerticalSpacing(Margin / 2);
  counts->addWidget(Label3, 0, 0);
  counts->addWidget(Label7, 0, 1);
  counts->addWidget(Label4, 1, 0);
  counts->addWidget(Label8, 1, 1);
  counts->addWidget(Label9, 2, 0);
  counts->addWidget(Label10, 2, 1);
  counts->setColumnStretch(1, 1);

  QVBoxLayout* box = NewColumn();
  box->addWidget(Label1);
  box->addWidget(Label2);
  box->addLayout(counts);
  box->addSpacing(Margin);
  box->addWidget(Label11);
  box->addWidget(ListBox1, 1);
  box->addWidget(Label5);
  box->addWidget(Label6);
  box->addLayout(ButtonRow({BitBtn1, BitBtn2}));

  InitialFocus = BitBtn1;
  FitToTexts();
}

void TForm3::ApplyLanguage(TLang& lang) {
  const TSectionTexts common(lang, CommonLang);
  BitBtn1->setText(common(2));
  BitBtn2->setText(common(1));

  const TSectionTexts text(lang, SaveErrorsFormLang);
  setWindowTitle(text(0));
  Label1->setText(text(1));
  Label2->setText(text(2));
  Label3->setText(text(3));
  Label4->setText(text(4));
  Label9->setText(text(5));
  Label5->setText(text(6));
  Label6->setText(text(7));
  Label11->setText(text(8));
  FitToTexts();
}

int TForm3::ShowModal() {
  ChosenRow = -1;
  return TModalForm::ShowModal();
}
