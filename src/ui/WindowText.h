// SPDX-License-Identifier: GPL-3.0-or-later
// What the windows share for their texts: the core's UTF-8 strings as Qt strings, and the
// font the windows draw in.
#pragma once

#include <QFont>
#include <QString>

#include <string>

inline QString Q(const std::string& utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// The program's font (Tahoma where the system has it) at a size in pixels.
QFont WindowFont(int pixelSize);
