// SPDX-License-Identifier: GPL-3.0-or-later
#include "NewSymbolForm.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "Lang.h"
#include "LangTables.h"
#include "ModalResult.h"

namespace {

bool IsBlankOrControl(QChar c) {
  return c.isSpace() || c.category() == QChar::Other_Control;
}

}  // namespace

QString TrimBlanksAndControls(const QString& text) {
  qsizetype begin = 0, end = text.size();
  while (begin < end && IsBlankOrControl(text[begin])) ++begin;
  while (end > begin && IsBlankOrControl(text[end - 1])) --end;
  return text.mid(begin, end - begin);
}

TForm4::TForm4(QWidget* parent) : TModalForm(parent, 356, 152) {
  setObjectName(QStringLiteral("NewSymbolForm"));
  Label1 = NewLabel("Label1");
  Edit1 = new QLineEdit(this);
  Edit1->setObjectName(QStringLiteral("Edit1"));
  Label1->setBuddy(Edit1);
  BitBtn1 = NewButton("BitBtn1", mrNone);
  BitBtn1->setDefault(true);
  connect(BitBtn1, &QPushButton::clicked, this, [this] {
    TrimEdit1();
    done(mrOk);
  });
  BitBtn2 = NewButton("BitBtn2", mrNone);
  connect(BitBtn2, &QPushButton::clicked, this, &TForm4::reject);

  auto* entry = new QHBoxLayout;
  entry->setSpacing(Margin);
  entry->addWidget(Label1);
  entry->addWidget(Edit1, 1);

  auto* box = new QVBoxLayout(this);
  box->setContentsMargins(2 * Margin, 2 * Margin, Margin * 2, Margin);
  box->addStretch(1);
  box->addLayout(entry);
  box->addStretch(2);
  box->addLayout(ButtonRow({BitBtn1, BitBtn2}));

  InitialFocus = Edit1;
  FitToTexts();
}

void TForm4::ApplyLanguage(TLang& lang) {
  const TSectionTexts common(lang, CommonLang);
  BitBtn1->setText(common(0));
  BitBtn2->setText(common(1));
  const TSectionTexts text(lang, NewSymbolFormLang);
  Label1->setText(text(0));
  FitToTexts();
}

void TForm4::showEvent(QShowEvent* event) {
  TModalForm::showEvent(event);
  Edit1->selectAll();
}

// Cancel, Escape and the close box all end here; the entry is trimmed whichever way.
void TForm4::reject() {
  TrimEdit1();
  TModalForm::reject();
}

void TForm4::TrimEdit1() { Edit1->setText(TrimBlanksAndControls(Edit1->text())); }
