// SPDX-License-Identifier: GPL-3.0-or-later
#include "LoadForm.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include "Lang.h"
#include "LangTables.h"

TForm2::TForm2(QWidget* parent) : TDialogForm(parent, 341, 197, /*closeBox=*/false) {
  setObjectName(QStringLiteral("LoadForm"));
  Label1 = NewLabel("Label1");
  Label2 = NewLabel("Label2");
  Label3 = NewLabel("Label3");
  Label4 = NewLabel("Label4");
  Label5 = NewLabel("Label5");
  Label6 = NewLabel("Label6");
  ProgressBar1 = new QProgressBar(this);
  ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
  ProgressBar1->setTextVisible(false);
  ProgressBar1->setValue(0);

  // A long file name must not widen the window: the values take the room that is left.
  for (QLabel* value : {Label2, Label4, Label6}) {
    value->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    value->setTextFormat(Qt::PlainText);
  }

  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(Margin);
  grid->setVerticalSpacing(Margin);
  grid->addWidget(Label1, 0, 0);
  grid->addWidget(Label2, 0, 1);
  grid->addWidget(Label3, 1, 0);
  grid->addWidget(Label4, 1, 1);
  grid->addWidget(Label5, 2, 0);
  grid->addWidget(Label6, 2, 1);
  grid->setColumnStretch(1, 1);

  auto* box = new QVBoxLayout(this);
  box->setContentsMargins(2 * Margin, 2 * Margin, 2 * Margin, 2 * Margin);
  box->addStretch(1);
  box->addLayout(grid);
  box->addSpacing(2 * Margin);
  box->addWidget(ProgressBar1);
  box->addStretch(1);

  FitToTexts();
}

void TForm2::ApplyLanguage(TLang& lang) {
  const TSectionTexts text(lang, LoadFormLang);
  setWindowTitle(text(0));
  Label1->setText(text(1));
  Label3->setText(text(2));
  Label5->setText(text(3));
  FitToTexts();
}

// Close requests (the window manager, Alt+F4) are refused; the main window hides the window
// with hide(). A hidden window does not hold up the application's quitting.
void TForm2::closeEvent(QCloseEvent* event) { event->ignore(); }

// Escape would otherwise hide the window in the middle of an operation.
void TForm2::reject() {}
