// SPDX-License-Identifier: GPL-3.0-or-later
// What each format of EmoticonTheme supplies, and what the formats share.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "EmoticonTheme.h"

class QByteArray;
class QXmlStreamReader;

namespace theme_formats {

bool ParsePidgin(std::string_view text, TTheme& theme, std::string& error);
bool ParseKde(std::string_view text, TTheme& theme, std::string& error);
bool ParseAdium(std::string_view text, TTheme& theme, std::string& error);
bool ParseJisp(std::string_view text, TTheme& theme, std::string& error);
std::string FormatPidgin(const TTheme& theme);
std::string FormatKde(const TTheme& theme);
std::string FormatAdium(const TTheme& theme);
std::string FormatJisp(const TTheme& theme);

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
// Reads up to the root element, which must be named Root.
bool XmlRoot(QXmlStreamReader& reader, const char* root, std::string& error);
// Reads to the end of the document, which must be well-formed after the root element too.
bool XmlEnd(QXmlStreamReader& reader, std::string& error);

// Skips the element the reader stands on, one that the format does not have. Every element
// named Entry inside it is an emoticon all the same: ReadEntry reads it (the reader on its start
// element) and returns its picture's name, and it is listed as left out.
void SkipUnknownElement(QXmlStreamReader& reader, std::string_view entry, TTheme& theme,
                        const std::function<std::string(QXmlStreamReader&)>& readEntry);

// Gathers a theme's smiles, one per picture name: an entry for a picture already seen adds the
// codes that smile lacks. Left out, and listed: a code that an entry names twice, and a code
// that another smile has (letter case ignored, as symbol look-ups ignore it), which stays with
// the first smile that has it. Each smile's codes and the codes' owners are hashed, so a
// theme is gathered in time linear in its codes.
class TThemeCollector {
public:
  explicit TThemeCollector(TTheme& theme) : theme_(theme) {}
  void Add(const std::string& picture, const std::vector<std::string>& codes);

private:
  TTheme& theme_;
  std::unordered_map<std::string, std::size_t> byPicture_;
  std::vector<std::unordered_set<std::string>> codesOf_;  // each smile's codes
  std::unordered_map<std::string, std::size_t> owner_;    // folded code -> first smile holding it
};

}  // namespace theme_formats
