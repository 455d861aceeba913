// The freedesktop emoticon map, emoticons.xml.
#include <QByteArray>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include "ThemeParsers.h"

namespace theme_formats {

namespace {

constexpr const char* RootName = "messaging-emoticon-map";

}  // namespace

bool ParseKde(std::string_view text, TTheme& theme, std::string& error) {
  QXmlStreamReader reader(XmlBytes(text));
  if (!reader.readNextStartElement()) {
    error = reader.hasError() ? XmlError(reader) : "no XML element";
    return false;
  }
  if (reader.name() != QLatin1String(RootName)) {
    error = "the root element is <" + reader.name().toString().toStdString() + ">, not <" +
            RootName + ">";
    return false;
  }
  TThemeCollector collector(theme);
  while (reader.readNextStartElement()) {
    if (reader.name() != QLatin1String("emoticon")) {
      reader.skipCurrentElement();
      continue;
    }
    const std::string picture = reader.attributes().value("file").toString().toStdString();
    std::vector<std::string> codes;
    while (reader.readNextStartElement()) {
      if (reader.name() == QLatin1String("string"))
        codes.push_back(reader.readElementText(QXmlStreamReader::IncludeChildElements).toStdString());
      else
        reader.skipCurrentElement();
    }
    collector.Add(picture, codes);
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
