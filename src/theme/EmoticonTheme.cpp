// SPDX-License-Identifier: GPL-3.0-or-later
#include "EmoticonTheme.h"

#include <algorithm>

#include "Cp1251.h"
#include "DefineFile.h"
#include "ThemeParsers.h"

namespace {

// A code with letter case folded the way symbol look-ups fold it.
std::string FoldCode(std::string_view code) {
  std::string bytes;
  if (platform::Utf8ToCp1251(code, bytes)) return '\1' + platform::LowerCase1251(bytes);
  return '\2' + std::string(code);
}

bool SameAscii(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return lower(x) == lower(y);
  });
}

}  // namespace

namespace theme_formats {

void TThemeCollector::Add(const std::string& picture, const std::vector<std::string>& codes) {
  auto [it, isNew] = byPicture_.emplace(picture, theme_.smiles.size());
  if (isNew) {
    theme_.smiles.push_back({picture, {}});
    codesOf_.emplace_back();
  }
  const std::size_t smile = it->second;
  std::unordered_set<std::string_view> named;  // by this entry
  for (const std::string& code : codes) {
    if (!named.insert(code).second) {
      theme_.leftOut.push_back({TLeftOutReason::CodeRepeated, picture, code, {}});
      continue;
    }
    if (codesOf_[smile].count(code)) continue;  // an earlier entry of the picture has it
    std::string folded = FoldCode(code);
    auto owner = owner_.find(folded);
    if (owner != owner_.end() && owner->second != smile) {
      theme_.leftOut.push_back({TLeftOutReason::CodeTakenByOther, picture, code,
                                "it belongs to " + theme_.smiles[owner->second].picture});
      continue;
    }
    codesOf_[smile].insert(code);
    theme_.smiles[smile].codes.push_back(code);
    if (owner == owner_.end()) owner_.emplace(std::move(folded), smile);
  }
}

}  // namespace theme_formats

const char* ThemeFormatName(TThemeFormat format) {
  switch (format) {
    case TThemeFormat::Pidgin: return "pidgin";
    case TThemeFormat::Kde: return "kde";
    case TThemeFormat::Adium: return "adium";
    case TThemeFormat::Jisp: return "jisp";
  }
  return "";
}

bool ThemeFormatFromName(std::string_view name, TThemeFormat& format) {
  for (TThemeFormat f : AllThemeFormats)
    if (name == ThemeFormatName(f)) {
      format = f;
      return true;
    }
  return false;
}

const char* ThemeIndexFileName(TThemeFormat format) {
  switch (format) {
    case TThemeFormat::Pidgin: return "theme";
    case TThemeFormat::Kde: return "emoticons.xml";
    case TThemeFormat::Adium: return "Emoticons.plist";
    case TThemeFormat::Jisp: return "icondef.xml";
  }
  return "";
}

bool ThemeFormatOfIndexFile(std::string_view fileName, TThemeFormat& format) {
  for (TThemeFormat f : AllThemeFormats)
    if (SameAscii(fileName, ThemeIndexFileName(f))) {
      format = f;
      return true;
    }
  return false;
}

std::string DescribeLeftOut(const TLeftOut& item) {
  const std::string code = "code \"" + item.code + "\" of " + item.picture;
  const std::string smile = "smile " + item.picture;
  std::string text;
  switch (item.reason) {
    case TLeftOutReason::CodeNotCp1251:
      text = "left out " + code + ": Windows-1251 has no such character";
      break;
    case TLeftOutReason::CodeNoCharacter:
      text = "left out " + code + ": byte 0x98 is no character in Windows-1251";
      break;
    case TLeftOutReason::CodeHasComma:
      text = "left out " + code + ": a symbol can't hold a comma";
      break;
    case TLeftOutReason::CodeHasControl:
      text = "left out " + code + ": it holds a control character";
      break;
    case TLeftOutReason::CodeHasBlank:
      text = "left out " + code + ": codes of this format can't hold blanks";
      break;
    case TLeftOutReason::CodeAtLineEdge:
      text = "left out " + code + ": its blank would be lost at the edge of the definition line";
      break;
    case TLeftOutReason::CodeTakenByOther:
      text = "left out " + code + ": another smile has it";
      break;
    case TLeftOutReason::CodeRepeated:
      text = "left out " + code + ": it stands twice";
      break;
    case TLeftOutReason::NoCodes:
      text = "kept " + smile + " without symbols: it has no codes left";
      break;
    case TLeftOutReason::PictureMissing:
      text = "left out " + smile + ": its picture is missing";
      break;
    case TLeftOutReason::PictureOutside:
      text = "left out " + smile + ": its picture lies outside the theme's folder";
      break;
    case TLeftOutReason::PictureUnusable:
      text = "left out " + smile + ": its picture can't be used";
      break;
    case TLeftOutReason::InUnknownElement:
      text = "left out " + smile + ": it stands inside an element the format does not have";
      break;
    case TLeftOutReason::PictureWithoutLine:
      text = "left out picture " + item.picture + ": the pack has no line for it";
      break;
    case TLeftOutReason::PastLimit:
      text = "left out " + smile + ": past the " + std::to_string(MaxSmiles) + " smiles a pack holds";
      break;
  }
  if (!item.detail.empty()) text += " (" + item.detail + ")";
  return text;
}

bool ParseTheme(TThemeFormat format, std::string_view bytes, TTheme& theme, std::string& error) {
  theme = {};
  error.clear();
  if (bytes.size() > MaxThemeIndexSize) {
    error = "the index file is larger than " + std::to_string(MaxThemeIndexSize >> 20) + " MiB";
    return false;
  }
  if (format != TThemeFormat::Pidgin && !theme_formats::XmlDepthFits(bytes, error)) return false;
  switch (format) {
    case TThemeFormat::Pidgin: return theme_formats::ParsePidgin(bytes, theme, error);
    case TThemeFormat::Kde: return theme_formats::ParseKde(bytes, theme, error);
    case TThemeFormat::Adium: return theme_formats::ParseAdium(bytes, theme, error);
    case TThemeFormat::Jisp: return theme_formats::ParseJisp(bytes, theme, error);
  }
  return false;
}

bool ThemeCanHoldCode(TThemeFormat format, std::string_view code, TLeftOutReason& why) {
  for (unsigned char c : code) {
    if (c < 0x20) {
      why = TLeftOutReason::CodeHasControl;
      return false;
    }
    if (c == ' ' && format == TThemeFormat::Pidgin) {
      why = TLeftOutReason::CodeHasBlank;
      return false;
    }
  }
  return true;
}

std::string FormatTheme(TThemeFormat format, const TTheme& theme) {
  switch (format) {
    case TThemeFormat::Pidgin: return theme_formats::FormatPidgin(theme);
    case TThemeFormat::Kde: return theme_formats::FormatKde(theme);
    case TThemeFormat::Adium: return theme_formats::FormatAdium(theme);
    case TThemeFormat::Jisp: return theme_formats::FormatJisp(theme);
  }
  return {};
}
