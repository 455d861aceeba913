// SPDX-License-Identifier: GPL-3.0-or-later
#include "LangFileCheck.h"

#include <iterator>
#include <string_view>
#include <unordered_set>

#include "Files.h"
#include "IniFile.h"
#include "LangTables.h"
#include "LangText.h"

const char* const LangDescriptionKeys[7] = {"LangName", "LangDesc", "LangAuth",  "LangVer",
                                            "LangUrl",  "LangMail", "LangLocale"};

namespace {

// Sections and keys compare as the INI reader compares them: ASCII letters without regard to
// case, every other byte as it is.
std::string Fold(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
  }
  return folded;
}

std::unordered_set<std::string> FoldAll(const std::vector<std::string>& names) {
  std::unordered_set<std::string> folded;
  for (const auto& name : names) folded.insert(Fold(name));
  return folded;
}

// Compares the keys of one section the program reads with the keys the file holds.
TLangSectionCheck CheckSection(const platform::TIniFile& ini, std::string_view section,
                               const std::vector<std::string>& required,
                               const std::vector<std::string>& optional, bool utf8) {
  TLangSectionCheck check;
  check.Section = std::string(section);
  check.MissingSection = !ini.SectionExists(section);
  std::vector<std::string> keys = ini.ReadSection(section);
  std::unordered_set<std::string> present = FoldAll(keys);
  for (const auto& key : required) {
    if (!present.contains(Fold(key))) check.MissingKeys.push_back(key);
  }
  std::unordered_set<std::string> known = FoldAll(required);
  for (const auto& key : optional) known.insert(Fold(key));
  std::unordered_set<std::string> seen, repeated;
  for (const auto& key : keys) {
    std::string folded = Fold(key);
    if (!seen.insert(folded).second) {
      if (repeated.insert(folded).second)
        check.RepeatedKeys.push_back(lang_text::Decode(key, utf8));
    } else if (!known.contains(folded)) {
      check.UnknownKeys.push_back(lang_text::Decode(key, utf8));
    }
  }
  return check;
}

bool HasFindings(const TLangSectionCheck& check) {
  return check.MissingSection || check.UnknownSection || !check.MissingKeys.empty() ||
         !check.UnknownKeys.empty() || !check.RepeatedKeys.empty();
}

}  // namespace

TLangFileCheck CheckLangFile(const std::string& fileName) {
  TLangFileCheck result;
  std::string data;
  if (!platform::ReadFile(fileName, data)) return result;
  result.Readable = true;
  bool utf8 = lang_text::HasUtf8Bom(data);
  data.clear();

  platform::TIniFile ini(fileName);
  // A value never holds a line break, so this default tells a missing key from any value.
  std::string name = ini.ReadString("Description", "LangName", "\n");
  result.LangName = name == "\n" ? "-" : lang_text::Decode(name, utf8);

  std::unordered_set<std::string> known = {Fold("Description")};
  auto add = [&](TLangSectionCheck check) {
    if (HasFindings(check)) result.Sections.push_back(std::move(check));
  };
  add(CheckSection(ini, "Description",
                   std::vector<std::string>(std::begin(LangDescriptionKeys),
                                            std::end(LangDescriptionKeys)),
                   {"LangId"}, utf8));
  for (const TLangTable* table : AllLangTables()) {
    std::vector<std::string> keys;
    for (int i = 0; i < table->Count(); ++i) keys.push_back(std::to_string(i));
    add(CheckSection(ini, table->Section, keys, {}, utf8));
    known.insert(Fold(table->Section));
  }
  for (const auto& section : ini.ReadSections()) {
    if (known.contains(Fold(section))) continue;
    TLangSectionCheck check;
    check.Section = lang_text::Decode(section, utf8);
    check.UnknownSection = true;
    result.Sections.push_back(std::move(check));
  }
  return result;
}
