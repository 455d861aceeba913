// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureFiles.h"

#include <QFileInfo>
#include <QImageReader>

QStringList PictureSuffixes() {
  QStringList suffixes;
  for (const QByteArray& format : QImageReader::supportedImageFormats())
    suffixes << QString::fromLatin1(format).toLower();
  suffixes.removeDuplicates();
  suffixes.sort();
  return suffixes;
}

bool IsPictureFileName(const QString& name) {
  const QString suffix = QFileInfo(name).suffix();
  return !suffix.isEmpty() && PictureSuffixes().contains(suffix, Qt::CaseInsensitive);
}

std::string PicturePatterns() {
  QStringList patterns;
  for (const QString& suffix : PictureSuffixes()) patterns << "*." + suffix;
  return patterns.join(';').toStdString();
}
