// SPDX-License-Identifier: GPL-3.0-or-later
// The Adium emoticon set's Emoticons.plist, an XML property list.
#include <QByteArray>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include "ThemeParsers.h"

namespace theme_formats {

namespace {

// One value of a property list: a dictionary, an array, a string, or anything else (numbers,
// dates, data, booleans), whose text is kept but not used.
struct TPlistValue {
  enum TKind { Dictionary, Array, String, Other } kind = Other;
  std::vector<std::string> keys;     // a dictionary's keys, in order
  std::vector<TPlistValue> values;   // a dictionary's values, or an array's items
  std::string text;                  // a string's text

  const TPlistValue* Find(std::string_view key) const {
    for (std::size_t i = 0; i < keys.size(); ++i)
      if (keys[i] == key) return &values[i];
    return nullptr;
  }
};

// Reads the value whose start element the reader stands on. The recursion is as deep as the
// elements nest, which ParseTheme bounds.
bool ReadValue(QXmlStreamReader& reader, TPlistValue& value, std::string& error) {
  const auto name = reader.name();
  if (name == QLatin1String("dict")) {
    value.kind = TPlistValue::Dictionary;
    while (reader.readNextStartElement()) {
      if (reader.name() == QLatin1String("key")) {
        value.keys.push_back(reader.readElementText().toStdString());
        continue;
      }
      if (value.keys.size() != value.values.size() + 1) {
        error = XmlError(reader, "a value without a key");
        return false;
      }
      if (!ReadValue(reader, value.values.emplace_back(), error)) return false;
    }
    if (value.keys.size() != value.values.size()) value.keys.pop_back();  // a key without value
  } else if (name == QLatin1String("array")) {
    value.kind = TPlistValue::Array;
    while (reader.readNextStartElement())
      if (!ReadValue(reader, value.values.emplace_back(), error)) return false;
  } else {
    value.kind = name == QLatin1String("string") ? TPlistValue::String : TPlistValue::Other;
    value.text = reader.readElementText(QXmlStreamReader::IncludeChildElements).toStdString();
  }
  return !reader.hasError();
}

}  // namespace

bool ParseAdium(std::string_view text, TTheme& theme, std::string& error) {
  if (text.starts_with("bplist")) {
    error = "a binary property list; save it as XML first";
    return false;
  }
  QXmlStreamReader reader(XmlBytes(text));
  TPlistValue root;
  if (reader.readNextStartElement()) {
    if (reader.name() != QLatin1String("plist")) {
      error = "the root element is <" + reader.name().toString().toStdString() + ">, not <plist>";
      return false;
    }
    if (reader.readNextStartElement() && !ReadValue(reader, root, error)) {
      if (error.empty()) error = XmlError(reader);
      return false;
    }
  }
  if (!XmlEnd(reader, error)) return false;
  const TPlistValue* emoticons = root.kind == TPlistValue::Dictionary ? root.Find("Emoticons") : nullptr;
  if (!emoticons || emoticons->kind != TPlistValue::Dictionary) {
    error = "no \"Emoticons\" dictionary";
    return false;
  }
  TThemeCollector collector(theme);
  for (std::size_t i = 0; i < emoticons->keys.size(); ++i) {
    std::vector<std::string> codes;
    const TPlistValue& entry = emoticons->values[i];
    const TPlistValue* equivalents = entry.kind == TPlistValue::Dictionary ? entry.Find("Equivalents") : nullptr;
    if (equivalents && equivalents->kind == TPlistValue::Array)
      for (const TPlistValue& item : equivalents->values)
        if (item.kind == TPlistValue::String) codes.push_back(item.text);
    collector.Add(emoticons->keys[i], codes);
  }
  return true;
}

std::string FormatAdium(const TTheme& theme) {
  QByteArray out;
  QXmlStreamWriter writer(&out);
  writer.setAutoFormatting(true);
  writer.writeStartDocument();
  writer.writeDTD(
      "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
      "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">");
  writer.writeStartElement("plist");
  writer.writeAttribute("version", "1.0");
  writer.writeStartElement("dict");
  writer.writeTextElement("key", "AdiumSetVersion");
  writer.writeTextElement("real", "1.3");
  writer.writeTextElement("key", "Emoticons");
  writer.writeStartElement("dict");
  for (const auto& smile : theme.smiles) {
    writer.writeTextElement("key", QString::fromStdString(smile.picture));
    writer.writeStartElement("dict");
    writer.writeTextElement("key", "Equivalents");
    writer.writeStartElement("array");
    for (const auto& code : smile.codes) writer.writeTextElement("string", QString::fromStdString(code));
    writer.writeEndElement();
    writer.writeTextElement("key", "Name");
    writer.writeTextElement("string", QString::fromStdString(smile.codes.empty() ? smile.picture : smile.codes.front()));
    writer.writeEndElement();
  }
  writer.writeEndElement();
  writer.writeEndElement();
  writer.writeEndDocument();
  return out.toStdString();
}

}  // namespace theme_formats
