// SPDX-License-Identifier: GPL-3.0-or-later
#include "AboutForm.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "Lang.h"
#include "LangTables.h"
#include "ModalResult.h"

#ifndef FENNIMO_VERSION
#error "FENNIMO_VERSION must name the version the program is built as"
#endif

namespace {

// The program's picture: a smiling face, drawn large so that it stays sharp when stretched.
QPixmap SmilePicture() {
  constexpr int size = 292;
  QPixmap picture(size, size);
  picture.fill(Qt::transparent);
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(120, 80, 0), 10));
  painter.setBrush(QColor(255, 206, 64));
  painter.drawEllipse(QRectF(10, 10, size - 20, size - 20));
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(70, 40, 0));
  painter.drawEllipse(QRectF(90, 85, 34, 52));
  painter.drawEllipse(QRectF(168, 85, 34, 52));
  QPainterPath smile;
  smile.moveTo(72, 172);
  smile.cubicTo(105, 250, 187, 250, 220, 172);
  painter.setPen(QPen(QColor(70, 40, 0), 16, Qt::SolidLine, Qt::RoundCap));
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(smile);
  return picture;
}

}  // namespace

const char* TForm5::Version() { return FENNIMO_VERSION; }

TForm5::TForm5(QWidget* parent) : TModalForm(parent, 347, 218) {
  setObjectName(QStringLiteral("AboutForm"));
  Image1 = NewLabel("Image1");
  Image1->setFixedSize(73, 73);
  Image1->setScaledContents(true);
  Image1->setPixmap(SmilePicture());
  StaticText1 = NewLabel("StaticText1");
  StaticText1->setAlignment(Qt::AlignCenter);
  SetPixelFont(StaticText1, 20);
  StaticText2 = NewLabel("StaticText2");
  StaticText2->setAlignment(Qt::AlignCenter);
  SetPixelFont(StaticText2, 16);
  StaticText3 = NewWrappedLabel("StaticText3");
  StaticText4 = NewWrappedLabel("StaticText4");
  StaticText5 = NewLabel("StaticText5");
  Label1 = NewLabel("Label1");
  Label1->setTextFormat(Qt::RichText);
  Label1->setText(
      QStringLiteral("<a href=\"%1\" style=\"color: #0000ff; text-decoration: underline\">%1</a>")
          .arg(QLatin1String(Address)));
  Label1->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
  Label1->setCursor(Qt::PointingHandCursor);
  connect(Label1, &QLabel::linkActivated, this, &TForm5::Label1Click);
  BitBtn1 = NewButton("BitBtn1", mrOk);
  BitBtn1->setDefault(true);

  auto* texts = new QVBoxLayout;
  texts->setSpacing(Margin / 2);
  texts->addWidget(StaticText1);
  texts->addWidget(StaticText2);
  texts->addSpacing(Margin);
  texts->addWidget(StaticText3);
  texts->addWidget(StaticText4);
  texts->addWidget(StaticText5);
  texts->addWidget(Label1);

  auto* top = new QHBoxLayout;
  top->setSpacing(2 * Margin);
  top->addWidget(Image1, 0, Qt::AlignTop);
  top->addLayout(texts, 1);

  auto* box = new QVBoxLayout(this);
  box->setContentsMargins(2 * Margin, 2 * Margin, Margin, Margin);
  box->addLayout(top);
  box->addStretch(1);
  box->addLayout(ButtonRow({BitBtn1}));

  StaticText1->setText(QLatin1String(Title));
  StaticText4->setText(QLatin1String(Further));
  InitialFocus = BitBtn1;
  FitToTexts();
}

void TForm5::ApplyLanguage(TLang& lang) {
  const TSectionTexts common(lang, CommonLang);
  BitBtn1->setText(common(0));
  const TSectionTexts text(lang, AboutFormLang);
  setWindowTitle(text(0));
  StaticText2->setText(text(1) + QLatin1Char(' ') + QLatin1String(Version()));
  StaticText3->setText(text(2) + QLatin1String("    ") + QLatin1String(Author));
  StaticText5->setText(text(3));
  // The layouts nested in a window not yet shown keep the sizes of the texts they last saw.
  for (QLayout* nested : findChildren<QLayout*>()) nested->invalidate();
  FitToTexts();
}

void TForm5::Label1Click() { QDesktopServices::openUrl(QUrl(QLatin1String(Address))); }
