// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowText.h"

#include <QApplication>
#include <QFontDatabase>

QFont WindowFont(int pixelSize) {
  QFont font = QApplication::font();
  if (QFontDatabase::hasFamily("Tahoma")) font.setFamily("Tahoma");
  font.setPixelSize(pixelSize);
  return font;
}
