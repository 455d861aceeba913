// SPDX-License-Identifier: GPL-3.0-or-later
// The freedesktop emoticon map, emoticons.xml.
#include <QByteArray>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include "ThemeParsers.h"

namespace theme_formats {

namespace {

constexpr const char* RootName = "messaging-emoticon-map";

// Reads the <emoticon> element the reader stands on: its picture and its codes.
TThemeSmile ReadEmoticon(QXmlStreamReader& reader) {
  TThemeSmile smile{reader.attributes().value("file").toString().toStdString(), {}};
  while (reader.readNextStartElement()) {
    if (reader.name() == QLatin1String("string"))
      smile.codes.push_back(reader.readElementText(QXmlStreamReader::IncludeChildElements).toStdString());
    else
      reader.skipCurrentElement();
  }
  return smile;
}

}  // namespace

bool ParseKde(std::string_view text, TTheme& theme, std::string& error) {
  QXmlStreamReader reader(XmlBytes(text));
  if (!XmlRoot(reader, RootName, error)) return false;
  TThemeCollector collector(theme);
  while (reader.readNextStartElement()) {
    if (reader.name() == QLatin1String("emoticon")) {
      const TThemeSmile smile = ReadEmoticon(reader);
      collector.Add(smile.picture, smile.codes);
    } else {
      SkipUnknownElement(reader, "emoticon", theme,
                         [](QXmlStreamReader& r) { return ReadEmoticon(r).picture; });
    }
  }
  return XmlEnd(reader, error);
}

std::string FormatKde(const TTheme& theme) {
  QByteArray out;
  QXmlStreamWriter writer(&out);
  writer.setAutoFormatting(true);
  writer.writeStartDocument();
  writer.writeStartElement(RootName);
  writer.writeAttribute("version", "0.1");
  for (const auto& smile : theme.smiles) {
    writer.writeStartElement("emoticon");
    writer.writeAttribute("file", QString::fromStdString(smile.picture));
    for (const auto& code : smile.codes) writer.writeTextElement("string", QString::fromStdString(code));
    writer.writeEndElement();
  }
  writer.writeEndDocument();
  return out.toStdString();
}

}  // namespace theme_formats
