// What each format of EmoticonTheme supplies, and what the formats share.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "EmoticonTheme.h"

class QByteArray;
class QXmlStreamReader;

namespace theme_formats {

bool ParsePidgin(std::string_view text, TTheme& theme, std::string& error);
bool ParseKde(std::string_view text, TTheme& theme, std::string& error);
bool ParseAdium(std::string_view text, TTheme& theme, std::string& error);
std::string FormatPidgin(const TTheme& theme);
std::string FormatKde(const TTheme& theme);
std::string FormatAdium(const TTheme& theme);

// ---- The XML formats (ThemeXml.cpp) ----

// Elements of an XML index nest at most this deep. A set nests a handful of levels; the bound
// keeps every reader, Qt's included, from recursing as deep as a hostile file nests.
inline constexpr int MaxXmlDepth = 32;
// The text for a reader without a copy of its bytes.
QByteArray XmlBytes(std::string_view text);
// "line L, column C: " and What, or the reader's own error when What is empty.
std::string XmlError(const QXmlStreamReader& reader, const std::string& what = {});
// False, with Error set, when elements nest deeper than MaxXmlDepth. Checked before a format's
// reader sees the text; a document that is not well-formed passes, for that reader to refuse.
bool XmlDepthFits(std::string_view text, std::string& error);
// Reads to the end of the document, which must be well-formed after the root element too.
bool XmlEnd(QXmlStreamReader& reader, std::string& error);

// Gathers a theme's smiles, one per picture name: an entry for a picture already seen adds the
// codes that smile lacks. A guarded entry (a later pidgin group) leaves out, and reports, codes
// that another smile has (letter case ignored, as symbol look-ups ignore it).
class TThemeCollector {
public:
  explicit TThemeCollector(TTheme& theme) : theme_(theme) {}
  void Add(const std::string& picture, const std::vector<std::string>& codes, bool guarded = false);

private:
  TTheme& theme_;
  std::unordered_map<std::string, std::size_t> byPicture_;
  std::unordered_map<std::string, std::size_t> owner_;  // folded code -> first smile holding it
};

}  // namespace theme_formats
