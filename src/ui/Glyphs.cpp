// SPDX-License-Identifier: GPL-3.0-or-later
#include "Glyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>

namespace {

QPixmap DrawGlyph(TGlyph glyph, int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  const double s = size / 32.0;
  p.scale(s, s);
  QPen pen(QColor(40, 60, 110), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  p.setPen(pen);
  auto page = [&](QColor fill) {
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(7, 3, 18, 25), 2, 2);
  };
  auto letters = [&](const char* text, QColor color) {
    QFont f = p.font();
    f.setPixelSize(text[1] ? 11 : 16);
    f.setBold(true);
    p.setFont(f);
    p.setPen(color);
    p.drawText(QRectF(0, 0, 32, 32), Qt::AlignCenter, text);
  };
  switch (glyph) {
    case TGlyph::New: page(Qt::white); p.drawLine(12, 11, 20, 11); p.drawLine(16, 7, 16, 15); break;
    case TGlyph::Open:
      p.setBrush(QColor(240, 200, 90));
      p.drawPolygon(QPolygonF({{4, 9}, {12, 9}, {14, 12}, {28, 12}, {28, 26}, {4, 26}}));
      break;
    case TGlyph::Save:
    case TGlyph::SaveAs:
      p.setBrush(QColor(90, 130, 210));
      p.drawRect(QRectF(5, 5, 22, 22));
      p.setBrush(Qt::white);
      p.drawRect(QRectF(10, 5, 12, 8));
      if (glyph == TGlyph::SaveAs) { p.setPen(QPen(QColor(200, 60, 40), 3)); p.drawLine(18, 27, 29, 16); }
      break;
    case TGlyph::Close: page(Qt::white); p.setPen(QPen(QColor(200, 50, 40), 3.5)); p.drawLine(11, 11, 21, 21); p.drawLine(21, 11, 11, 21); break;
    case TGlyph::Static: letters("BMP", QColor(30, 90, 160)); break;
    case TGlyph::Animated: letters("GIF", QColor(160, 60, 30)); break;
    case TGlyph::Both: letters("2", QColor(40, 120, 60)); p.setPen(pen); p.setBrush(Qt::NoBrush); p.drawRoundedRect(QRectF(4, 4, 24, 24), 4, 4); break;
    case TGlyph::Options:
      p.setBrush(QColor(150, 160, 180));
      p.drawEllipse(QPointF(16, 16), 10, 10);
      p.setBrush(Qt::white);
      p.drawEllipse(QPointF(16, 16), 4, 4);
      break;
    case TGlyph::About: letters("?", QColor(40, 60, 110)); p.setPen(pen); p.setBrush(Qt::NoBrush); p.drawEllipse(QPointF(16, 16), 12, 12); break;
    case TGlyph::Add: p.setPen(QPen(QColor(30, 140, 60), 4)); p.drawLine(16, 7, 16, 25); p.drawLine(7, 16, 25, 16); break;
    case TGlyph::Remove: p.setPen(QPen(QColor(200, 50, 40), 4)); p.drawLine(7, 16, 25, 16); break;
    case TGlyph::Picture:
      p.setBrush(QColor(170, 210, 240));
      p.drawRect(QRectF(5, 7, 22, 18));
      p.setBrush(QColor(60, 150, 70));
      p.drawPolygon(QPolygonF({{7, 23}, {14, 14}, {19, 20}, {22, 17}, {25, 23}}));
      break;
    case TGlyph::NoPicture:
      p.setBrush(QColor(170, 210, 240));
      p.drawRect(QRectF(5, 7, 22, 18));
      p.setPen(QPen(QColor(200, 50, 40), 3.5));
      p.drawLine(8, 10, 24, 22);
      p.drawLine(24, 10, 8, 22);
      break;
    case TGlyph::Up: p.setBrush(pen.color()); p.drawPolygon(QPolygonF({{16, 7}, {26, 21}, {6, 21}})); break;
    case TGlyph::Down: p.setBrush(pen.color()); p.drawPolygon(QPolygonF({{16, 25}, {26, 11}, {6, 11}})); break;
    case TGlyph::Edit:
      p.setPen(QPen(QColor(200, 140, 40), 5, Qt::SolidLine, Qt::FlatCap));
      p.drawLine(9, 23, 23, 9);
      p.setPen(pen);
      p.drawLine(6, 27, 26, 27);
      break;
    case TGlyph::Find:
      p.setBrush(QColor(220, 235, 250));
      p.drawEllipse(QPointF(13, 13), 7, 7);
      p.setPen(QPen(pen.color(), 4.5, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(19, 19, 26, 26);
      break;
    case TGlyph::Play: p.setBrush(QColor(30, 140, 60)); p.setPen(Qt::NoPen); p.drawPolygon(QPolygonF({{9, 6}, {26, 16}, {9, 26}})); break;
    case TGlyph::Pause: p.setBrush(QColor(200, 120, 30)); p.setPen(Qt::NoPen); p.drawRect(QRectF(8, 6, 6, 20)); p.drawRect(QRectF(18, 6, 6, 20)); break;
    case TGlyph::Previous: p.setBrush(pen.color()); p.setPen(Qt::NoPen); p.drawPolygon(QPolygonF({{22, 6}, {8, 16}, {22, 26}})); p.drawRect(QRectF(5, 6, 3, 20)); break;
    case TGlyph::Next: p.setBrush(pen.color()); p.setPen(Qt::NoPen); p.drawPolygon(QPolygonF({{10, 6}, {24, 16}, {10, 26}})); p.drawRect(QRectF(24, 6, 3, 20)); break;
    case TGlyph::Exit:
      p.setBrush(QColor(230, 230, 230));
      p.drawRect(QRectF(6, 5, 14, 22));
      p.setPen(QPen(QColor(200, 50, 40), 3.5));
      p.drawLine(14, 16, 28, 16);
      p.drawLine(23, 11, 28, 16);
      p.drawLine(23, 21, 28, 16);
      break;
    case TGlyph::Undo:
    case TGlyph::Redo: {
      // A hooked arrow pointing back (undo); redo is its mirror image.
      if (glyph == TGlyph::Redo) {
        p.translate(32, 0);
        p.scale(-1, 1);
      }
      const QColor color(30, 110, 170);
      QPainterPath hook;
      hook.moveTo(11, 11);
      hook.lineTo(18, 11);
      hook.cubicTo(29, 11, 29, 26, 18, 26);
      hook.lineTo(12, 26);
      p.setPen(QPen(color, 3.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      p.setBrush(Qt::NoBrush);
      p.drawPath(hook);
      p.setPen(QPen(color, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      p.setBrush(color);
      p.drawPolygon(QPolygonF({{3, 11}, {12, 4}, {12, 18}}));
      break;
    }
  }
  return pixmap;
}

}  // namespace

QIcon Glyph(TGlyph glyph, const char* themeName) {
  QIcon icon = QIcon::fromTheme(themeName);
  if (!icon.isNull()) return icon;
  QIcon drawn;
  for (int size : {16, 24, 32, 48, 64}) drawn.addPixmap(DrawGlyph(glyph, size));
  return drawn;
}

