// SPDX-License-Identifier: GPL-3.0-or-later
// What the XML index readers share: the depth bound, the reader's errors, and the end of the
// document.
#include <QByteArray>
#include <QXmlStreamReader>

#include "ThemeParsers.h"

namespace theme_formats {

QByteArray XmlBytes(std::string_view text) {
  return QByteArray::fromRawData(text.data(), static_cast<qsizetype>(text.size()));
}

std::string XmlError(const QXmlStreamReader& reader, const std::string& what) {
  return "line " + std::to_string(reader.lineNumber()) + ", column " +
         std::to_string(reader.columnNumber()) + ": " +
         (what.empty() ? reader.errorString().toStdString() : what);
}

bool XmlDepthFits(std::string_view text, std::string& error) {
  QXmlStreamReader reader(XmlBytes(text));
  int depth = 0;
  while (!reader.atEnd()) {
    const QXmlStreamReader::TokenType token = reader.readNext();
    if (token == QXmlStreamReader::StartElement && ++depth > MaxXmlDepth) {
      error = XmlError(reader, "elements nest deeper than " + std::to_string(MaxXmlDepth) + " levels");
      return false;
    }
    if (token == QXmlStreamReader::EndElement) --depth;
  }
  return true;  // a document that is not well-formed is the format's reader's to refuse
}

bool XmlRoot(QXmlStreamReader& reader, const char* root, std::string& error) {
  if (!reader.readNextStartElement()) {
    error = reader.hasError() ? XmlError(reader) : "no XML element";
    return false;
  }
  if (reader.name() == QLatin1String(root)) return true;
  error = "the root element is <" + reader.name().toString().toStdString() + ">, not <" + root + ">";
  return false;
}

bool XmlEnd(QXmlStreamReader& reader, std::string& error) {
  while (!reader.atEnd() && !reader.hasError()) reader.readNext();
  if (!reader.hasError()) return true;
  error = XmlError(reader);
  return false;
}

void SkipUnknownElement(QXmlStreamReader& reader, std::string_view entry, TTheme& theme,
                        const std::function<std::string(QXmlStreamReader&)>& readEntry) {
  const std::string element = "<" + reader.name().toString().toStdString() + ">";
  const QLatin1String entryName(entry.data(), static_cast<qsizetype>(entry.size()));
  for (int depth = 1; depth > 0 && !reader.atEnd();) {
    const QXmlStreamReader::TokenType token = reader.readNext();
    if (token == QXmlStreamReader::StartElement && reader.name() == entryName)
      theme.leftOut.push_back({TLeftOutReason::InUnknownElement, readEntry(reader), {}, element});
    else if (token == QXmlStreamReader::StartElement)
      ++depth;
    else if (token == QXmlStreamReader::EndElement)
      --depth;
  }
}

}  // namespace theme_formats
