// SPDX-License-Identifier: GPL-3.0-or-later
#include "DialogForm.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

#include "DialogSeam.h"
#include "Lang.h"
#include "ModalResult.h"

QString TSectionTexts::operator()(int key) const {
  return QString::fromStdString(lang_.Text(table_, key));
}

TDialogForm::TDialogForm(QWidget* parent, int clientWidth, int clientHeight, bool closeBox)
    : QDialog(parent), designSize_(clientWidth, clientHeight) {
  Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
  if (closeBox) flags |= Qt::WindowCloseButtonHint;
  setWindowFlags(flags);
  setFont(DialogFont());
  setFixedSize(designSize_);
}

QFont TDialogForm::DialogFont() {
  const QString tahoma = QStringLiteral("Tahoma");
  QFont font(QFontDatabase::families().contains(tahoma, Qt::CaseInsensitive)
                 ? tahoma
                 : QFontDatabase::systemFont(QFontDatabase::GeneralFont).family());
  font.setStyleHint(QFont::SansSerif);
  font.setPointSize(8);
  return font;
}

void TDialogForm::FitToTexts() {
  // Button texts keep some room on either side, however long a translation makes them.
  for (QPushButton* button : findChildren<QPushButton*>()) {
    const int text = button->fontMetrics().horizontalAdvance(button->text());
    button->setMinimumWidth(std::max(ButtonWidth, text + 3 * Margin));
  }
  QLayout* box = layout();
  if (!box) return;
  box->invalidate();
  const QSize least = box->totalMinimumSize();
  const int width = std::max(designSize_.width(), least.width());
  int height = std::max(designSize_.height(), least.height());
  if (box->hasHeightForWidth()) height = std::max(height, box->totalHeightForWidth(width));
  setFixedSize(width, height);
}

void TDialogForm::showEvent(QShowEvent* event) {
  CenterOnScreen(*this);
  if (InitialFocus) InitialFocus->setFocus();
  QDialog::showEvent(event);
}

QLabel* TDialogForm::NewLabel(const char* name) {
  auto* label = new QLabel(this);
  label->setObjectName(QLatin1String(name));
  return label;
}

QPushButton* TDialogForm::NewButton(const char* name, int result) {
  auto* button = new QPushButton(this);
  button->setObjectName(QLatin1String(name));
  button->setMinimumSize(ButtonWidth, ButtonHeight);
  if (result != mrNone)
    connect(button, &QPushButton::clicked, this, [this, result] { done(result); });
  return button;
}

QLabel* TDialogForm::NewWrappedLabel(const char* name) {
  QLabel* label = NewLabel(name);
  label->setWordWrap(true);
  return label;
}

QLabel* TDialogForm::NewMessageLabel(const char* name) {
  QLabel* label = NewWrappedLabel(name);
  label->setAlignment(Qt::AlignCenter);
  SetPixelFont(label, 20);
  return label;
}

QLabel* TDialogForm::NewWarningLabel(const char* name) {
  QLabel* label = NewLabel(name);
  label->setAlignment(Qt::AlignCenter);
  SetPixelFont(label, 20);
  SetTextColor(label, Maroon);
  return label;
}

QVBoxLayout* TDialogForm::NewColumn() {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(Margin, Margin, Margin, Margin);
  column->setSpacing(Margin);
  return column;
}

QLayout* TDialogForm::ButtonRow(std::initializer_list<QPushButton*> buttons) {
  auto* row = new QHBoxLayout;
  row->setSpacing(Margin);
  row->addStretch(1);
  QWidget* previous = nullptr;
  for (QPushButton* button : buttons) {
    row->addWidget(button);
    if (previous) setTabOrder(previous, button);
    previous = button;
  }
  return row;
}

void TDialogForm::SetPixelFont(QWidget* control, int pixels) {
  QFont font = control->font();
  font.setPixelSize(pixels);
  control->setFont(font);
}

void TDialogForm::SetTextColor(QWidget* control, const QColor& color) {
  QPalette palette = control->palette();
  palette.setColor(QPalette::WindowText, color);
  control->setPalette(palette);
}

int TModalForm::ShowModal() { return RunModal(*this); }

void TModalForm::reject() { done(mrCancel); }
