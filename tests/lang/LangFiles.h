// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers for the language tests: language files written from UTF-8 text in the encodings the
// program reads.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "Cp1251.h"
#include "LangTables.h"
#include "TestSupport.h"

namespace lang_testing {

// The UTF-8 text in Windows-1251; fails the test when the text has a character 1251 lacks.
inline std::string Cp1251(std::string_view utf8) {
  std::string bytes;
  EXPECT_TRUE(platform::Utf8ToCp1251(utf8, bytes)) << utf8;
  return bytes;
}

// A language file with every section and key the program reads, each text "t".
inline std::string CompleteLangFile(const std::string& langName = "Test") {
  std::string text = "[Description]\nLangName=" + langName +
                     "\nLangDesc=d\nLangAuth=a\nLangVer=1\nLangUrl=u\nLangMail=m\nLangLocale=xx\n";
  for (const TLangTable* table : AllLangTables()) {
    text += "[" + std::string(table->Section) + "]\n";
    for (int i = 0; i < table->Count(); ++i) text += std::to_string(i) + "=t\n";
  }
  return text;
}

inline constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";

// A folder of language files.
class LangFolder {
public:
  const std::string& Path() const { return dir_.Path(); }
  std::string PathOf(const std::string& name) const { return dir_.Path() + name; }

  // Writes the file in Windows-1251 and returns its path.
  std::string Write(const std::string& name, std::string_view utf8) const {
    return WriteBytes(name, Cp1251(utf8));
  }
  // Writes the file in UTF-8 with a byte-order mark and returns its path.
  std::string WriteUtf8(const std::string& name, std::string_view utf8) const {
    return WriteBytes(name, std::string(Utf8Bom) + std::string(utf8));
  }
  std::string WriteBytes(const std::string& name, std::string_view bytes) const {
    std::string path = dir_.Make(name);
    testing_support::WriteBytes(path, bytes);
    return path;
  }

private:
  testing_support::TempDir dir_;
};

}  // namespace lang_testing
