// SPDX-License-Identifier: GPL-3.0-or-later
// The picture files a smile can be made of: every kind that Qt's image readers take here (the
// pack model converts them into what the pack stores), known by their names' extensions.
#pragma once

#include <QString>
#include <QStringList>

#include <string>

// The extensions, in lower case without the dot, in name order ("bmp", "gif", "jpeg", "jpg",
// "png", "webp", …).
QStringList PictureSuffixes();
// True when the name ends in one of them, letter case ignored.
bool IsPictureFileName(const QString& name);
// The chooser patterns of all of them: "*.bmp;*.gif;…".
std::string PicturePatterns();
