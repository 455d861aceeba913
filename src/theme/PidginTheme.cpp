// SPDX-License-Identifier: GPL-3.0-or-later
// The pidgin theme file: "Key=Value" lines, then groups of smiley lines.
#include <string>
#include <vector>

#include "ThemeParsers.h"

namespace theme_formats {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (IsBlank(s.front()) || s.front() == '\r')) s.remove_prefix(1);
  while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

std::vector<std::string> Words(std::string_view line) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    const std::size_t start = i;
    while (i < line.size() && !IsBlank(line[i])) ++i;
    if (i > start) words.emplace_back(line.substr(start, i - start));
  }
  return words;
}

}  // namespace

bool ParsePidgin(std::string_view text, TTheme& theme, std::string& error) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  if (text.find('\0') != std::string_view::npos) {
    error = "not a text file";
    return false;
  }
  TThemeCollector collector(theme);
  int group = -1;  // -1: the key=value lines before the first group
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = Trim(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.empty() || line.front() == '#') continue;
    if (line.front() == '[' && line.back() == ']') {
      ++group;
      continue;
    }
    if (group < 0) {
      if (line.starts_with("Name=")) theme.name = std::string(Trim(line.substr(5)));
      continue;
    }
    // "! " keeps a smiley out of the selector; it is a smiley all the same.
    if (line.size() > 1 && line[0] == '!' && IsBlank(line[1])) line.remove_prefix(2);
    std::vector<std::string> words = Words(line);
    if (words.empty()) continue;
    const std::string picture = std::move(words.front());
    words.erase(words.begin());
    collector.Add(picture, words);
  }
  if (group < 0) {
    error = "no group of smileys (a line such as [default])";
    return false;
  }
  return true;
}

std::string FormatPidgin(const TTheme& theme) {
  std::string out;
  std::string name;
  for (char c : theme.name) name += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
  out += "Name=" + name + "\n";
  if (!theme.smiles.empty()) out += "Icon=" + theme.smiles.front().picture + "\n";
  out += "\n[default]\n";
  for (const auto& smile : theme.smiles) {
    out += smile.picture;
    for (const auto& code : smile.codes) out += " " + code;
    out += "\n";
  }
  return out;
}

}  // namespace theme_formats
