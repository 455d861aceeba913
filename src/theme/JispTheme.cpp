// SPDX-License-Identifier: GPL-3.0-or-later
// The XMPP icon set's icondef.xml.
#include <QByteArray>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include "ThemeParsers.h"

namespace theme_formats {

namespace {

bool IsPicture(const QXmlStreamReader& reader) {
  const auto mime = reader.attributes().value("mime");
  return mime.isEmpty() || mime.startsWith(QLatin1String("image/"));
}

// Reads the <icon> element the reader stands on: its texts, and the first picture its <object>
// (or, in older sets, <graphic>) elements name. Sounds and anything else are skipped.
TThemeSmile ReadIcon(QXmlStreamReader& reader) {
  TThemeSmile smile;
  while (reader.readNextStartElement()) {
    const auto name = reader.name();
    if (name == QLatin1String("text")) {
      smile.codes.push_back(reader.readElementText(QXmlStreamReader::IncludeChildElements).toStdString());
    } else if ((name == QLatin1String("object") || name == QLatin1String("graphic")) &&
               smile.picture.empty() && IsPicture(reader)) {
      smile.picture = reader.readElementText(QXmlStreamReader::IncludeChildElements).trimmed().toStdString();
    } else {
      reader.skipCurrentElement();
    }
  }
  return smile;
}

// The set's name from <meta>.
std::string ReadMeta(QXmlStreamReader& reader) {
  std::string name;
  while (reader.readNextStartElement()) {
    if (reader.name() == QLatin1String("name"))
      name = reader.readElementText(QXmlStreamReader::IncludeChildElements).trimmed().toStdString();
    else
      reader.skipCurrentElement();
  }
  return name;
}

// The picture's MIME type by its extension; GIF and BMP are what packs hold.
QString MimeOf(const std::string& picture) {
  const QString name = QString::fromStdString(picture).toLower();
  for (const char* kind : {"gif", "bmp", "png", "jpeg", "webp"})
    if (name.endsWith(QLatin1Char('.') + QLatin1String(kind))) return QLatin1String("image/") + QLatin1String(kind);
  return QStringLiteral("image/gif");
}

}  // namespace

bool ParseJisp(std::string_view text, TTheme& theme, std::string& error) {
  QXmlStreamReader reader(XmlBytes(text));
  if (!XmlRoot(reader, "icondef", error)) return false;
  TThemeCollector collector(theme);
  while (reader.readNextStartElement()) {
    if (reader.name() == QLatin1String("icon")) {
      const TThemeSmile smile = ReadIcon(reader);
      collector.Add(smile.picture, smile.codes);
    } else if (reader.name() == QLatin1String("meta")) {
      theme.name = ReadMeta(reader);
    } else {
      SkipUnknownElement(reader, "icon", theme, [](QXmlStreamReader& r) { return ReadIcon(r).picture; });
    }
  }
  return XmlEnd(reader, error);
}

std::string FormatJisp(const TTheme& theme) {
  QByteArray out;
  QXmlStreamWriter writer(&out);
  writer.setAutoFormatting(true);
  writer.writeStartDocument();
  writer.writeStartElement("icondef");
  writer.writeStartElement("meta");
  QString name = QString::fromStdString(theme.name);
  for (QChar& c : name)
    if (c.unicode() < 0x20) c = QLatin1Char(' ');
  writer.writeTextElement("name", name);
  writer.writeTextElement("version", "1.0");
  writer.writeEndElement();
  for (const auto& smile : theme.smiles) {
    writer.writeStartElement("icon");
    for (const auto& code : smile.codes) writer.writeTextElement("text", QString::fromStdString(code));
    writer.writeStartElement("object");
    writer.writeAttribute("mime", MimeOf(smile.picture));
    writer.writeCharacters(QString::fromStdString(smile.picture));
    writer.writeEndElement();
    writer.writeEndElement();
  }
  writer.writeEndDocument();
  return out.toStdString();
}

}  // namespace theme_formats
