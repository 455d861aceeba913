// SPDX-License-Identifier: GPL-3.0-or-later
#include "IniFile.h"

#include <cerrno>
#include <climits>

#include "Files.h"

namespace platform {

namespace {

unsigned char AsciiLower(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(static_cast<unsigned char>(a[i])) != AsciiLower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

std::string_view Trim(std::string_view s) {
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

// Lines of the file; CR LF, LF and a lone CR all end a line.
std::vector<std::string> SplitLines(const std::string& data) {
  std::vector<std::string> lines;
  std::string current;
  for (std::size_t i = 0; i < data.size(); ++i) {
    char c = data[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(std::move(current));
      current.clear();
      if (c == '\r' && i + 1 < data.size() && data[i + 1] == '\n') ++i;
    } else {
      current.push_back(c);
    }
  }
  if (!current.empty()) lines.push_back(std::move(current));
  return lines;
}

// A section header line "[name]"; a header without "]" names the rest of the line.
bool SectionName(std::string_view line, std::string_view& name) {
  line = Trim(line);
  if (line.empty() || line.front() != '[') return false;
  line.remove_prefix(1);
  auto close = line.find(']');
  name = Trim(close == std::string_view::npos ? line : line.substr(0, close));
  return true;
}

// A "key=value" line; comment lines and lines without "=" hold no key.
bool KeyValue(std::string_view line, std::string_view& key, std::string_view& value) {
  std::string_view trimmed = Trim(line);
  if (trimmed.empty() || trimmed.front() == ';') return false;
  auto eq = line.find('=');
  if (eq == std::string_view::npos) return false;
  key = Trim(line.substr(0, eq));
  value = Trim(line.substr(eq + 1));
  return true;
}

std::string Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front())
    value = value.substr(1, value.size() - 2);
  if (value.size() > MaxIniValueLength) value = value.substr(0, MaxIniValueLength);
  return std::string(value);
}

// A UTF-8 byte-order mark opens the file but is no part of its first line; without this the
// first section of a file saved "as UTF-8 with BOM" could never be found.
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool RemoveBom(std::string& data) {
  if (data.compare(0, kUtf8Bom.size(), kUtf8Bom) != 0) return false;
  data.erase(0, kUtf8Bom.size());
  return true;
}

std::vector<std::string> LoadLines(const std::string& fileName) {
  std::string data;
  if (!ReadFile(fileName, data)) return {};
  RemoveBom(data);
  return SplitLines(data);
}

// Index range [begin, end) of the body of the first section named `section`; false when the
// file has no such section.
bool FindSection(const std::vector<std::string>& lines, std::string_view section,
                 std::size_t& begin, std::size_t& end) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string_view name;
    if (SectionName(lines[i], name) && SameName(name, section)) {
      begin = i + 1;
      end = begin;
      std::string_view other;
      while (end < lines.size() && !SectionName(lines[end], other)) ++end;
      return true;
    }
  }
  return false;
}

bool FindValue(const std::vector<std::string>& lines, std::string_view section,
               std::string_view key, std::string_view& value) {
  std::size_t begin, end;
  if (!FindSection(lines, section, begin, end)) return false;
  for (std::size_t i = begin; i < end; ++i) {
    std::string_view k;
    if (KeyValue(lines[i], k, value) && SameName(k, key)) return true;
  }
  return false;
}

// The text stored for a value: quoted when reading would otherwise drop its outer blanks or a
// pair of outer quotes.
std::string StoredValue(std::string_view value) {
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  bool quote = !value.empty() && (blank(value.front()) || blank(value.back()));
  quote = quote || (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                    value.back() == value.front());
  std::string stored;
  if (quote) stored += '"';
  stored.append(value);
  if (quote) stored += '"';
  return stored;
}

// Sets Key of Section in Lines: in place when present, else at the end of the section (or of a
// new section at the end of the file).
void SetValue(std::vector<std::string>& lines, std::string_view section, std::string_view key,
              std::string_view value) {
  std::string entry = std::string(key) + "=" + StoredValue(value);
  std::size_t begin, end;
  if (FindSection(lines, section, begin, end)) {
    for (std::size_t i = begin; i < end; ++i) {
      std::string_view k, v;
      if (KeyValue(lines[i], k, v) && SameName(k, key)) {
        lines[i] = entry;
        return;
      }
    }
    // After the section's last non-blank line, so blank lines between sections stay.
    std::size_t at = end;
    while (at > begin && Trim(lines[at - 1]).empty()) --at;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), entry);
    return;
  }
  if (!lines.empty() && !Trim(lines.back()).empty()) lines.emplace_back();
  std::string header(1, '[');
  header.append(section).push_back(']');
  lines.push_back(std::move(header));
  lines.push_back(entry);
}

}  // namespace

bool IniValueFits(std::string_view value) {
  constexpr std::string_view kBreaks("\r\n\0", 3);
  return value.size() <= MaxIniValueLength &&
         value.find_first_of(kBreaks) == std::string_view::npos;
}

bool ParseIniInteger(std::string_view text, int& value) {
  text = Trim(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return false;
  long long result = 0;
  for (char c : text) {
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else return false;
    result = result * base + digit;
    // Hexadecimal values may fill all 32 bits, as 0xFFFFFFFF does for -1.
    if (result > (base == 16 ? 0xFFFFFFFFLL : static_cast<long long>(INT_MAX) + 1)) return false;
  }
  if (base == 16) {
    result = static_cast<int>(static_cast<unsigned int>(result));
  } else if (!negative && result > INT_MAX) {
    return false;
  }
  value = static_cast<int>(negative ? -result : result);
  return true;
}

TIniFile::TIniFile(std::string fileName) : fileName_(std::move(fileName)) {}

std::string TIniFile::ReadString(std::string_view section, std::string_view key,
                                 std::string_view def) const {
  auto lines = LoadLines(fileName_);
  std::string_view value;
  if (FindValue(lines, section, key, value)) return Unquote(value);
  return std::string(def);
}

int TIniFile::ReadInteger(std::string_view section, std::string_view key, int def) const {
  auto lines = LoadLines(fileName_);
  std::string_view value;
  int result;
  if (FindValue(lines, section, key, value) && ParseIniInteger(Unquote(value), result))
    return result;
  return def;
}

bool TIniFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

bool TIniFile::SectionExists(std::string_view section) const {
  auto lines = LoadLines(fileName_);
  std::size_t begin, end;
  return FindSection(lines, section, begin, end);
}

bool TIniFile::ValueExists(std::string_view section, std::string_view key) const {
  auto lines = LoadLines(fileName_);
  std::string_view value;
  return FindValue(lines, section, key, value);
}

std::vector<std::string> TIniFile::ReadSections() const {
  std::vector<std::string> names;
  for (const auto& line : LoadLines(fileName_)) {
    std::string_view name;
    if (!SectionName(line, name)) continue;
    bool seen = false;
    for (const auto& n : names) seen = seen || SameName(n, name);
    if (!seen) names.emplace_back(name);
  }
  return names;
}

std::vector<std::string> TIniFile::ReadSection(std::string_view section) const {
  std::vector<std::string> keys;
  auto lines = LoadLines(fileName_);
  std::size_t begin, end;
  if (!FindSection(lines, section, begin, end)) return keys;
  for (std::size_t i = begin; i < end; ++i) {
    std::string_view k, v;
    if (KeyValue(lines[i], k, v)) keys.emplace_back(k);
  }
  return keys;
}

void TIniFile::WriteString(std::string_view section, std::string_view key,
                           std::string_view value) {
  WriteStrings(section, {{std::string(key), std::string(value)}});
}

void TIniFile::WriteStrings(std::string_view section,
                            const std::vector<std::pair<std::string, std::string>>& values) {
  for (const auto& [key, value] : values)
    if (!IniValueFits(value)) throw EIniWriteError(fileName_);
  std::vector<std::string> lines;
  std::string data;
  bool hadBom = false;
  if (ReadFile(fileName_, data)) {
    hadBom = RemoveBom(data);
    lines = SplitLines(data);
  } else if (FileExists(fileName_) || DirectoryExists(fileName_)) {
    // Present but unreadable: rewriting it would lose whatever it holds.
    throw EIniWriteError(fileName_);
  }
  for (const auto& [key, value] : values) SetValue(lines, section, key, value);

  std::string out(hadBom ? kUtf8Bom : std::string_view());
  for (const auto& line : lines) {
    out += line;
    out += "\r\n";
  }
  if (!WriteFileAtomic(fileName_, out)) throw EIniWriteError(fileName_);
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
  WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

}  // namespace platform
