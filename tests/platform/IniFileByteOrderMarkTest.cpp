// SPDX-License-Identifier: GPL-3.0-or-later
// A UTF-8 byte-order mark at the start of an INI file (as editors write it when saving "UTF-8
// with BOM") is no part of the first line: the first section must still be found, and a write
// must keep the mark.
#include <gtest/gtest.h>

#include "IniFile.h"
#include "TestSupport.h"

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

TEST(IniFileByteOrderMark, FirstSectionAfterTheMarkIsFound) {
  testing_support::TempDir dir;
  std::string path = dir.Path() + "bom.ini";
  testing_support::WriteBytes(path, std::string(kBom) + "[Options]\r\nLang=de\r\n");
  platform::TIniFile ini(path);
  EXPECT_EQ(ini.ReadString("Options", "Lang", "-"), "de");
  EXPECT_TRUE(ini.SectionExists("Options"));
  EXPECT_EQ(ini.ReadSections(), std::vector<std::string>{"Options"});
}

TEST(IniFileByteOrderMark, WriteKeepsTheMarkAndFindsTheFirstSection) {
  testing_support::TempDir dir;
  std::string path = dir.Path() + "bom.ini";
  testing_support::WriteBytes(path, std::string(kBom) + "[Options]\r\nLang=de\r\n");
  platform::TIniFile ini(path);
  ini.WriteString("Options", "Lang", "en");
  EXPECT_EQ(testing_support::ReadBytes(path), std::string(kBom) + "[Options]\r\nLang=en\r\n");
}

TEST(IniFileByteOrderMark, MarkOnlyCountsAtTheStartOfTheFile) {
  testing_support::TempDir dir;
  std::string path = dir.Path() + "late.ini";
  testing_support::WriteBytes(path, "[A]\r\n" + std::string(kBom) + "[B]\r\nk=v\r\n");
  EXPECT_EQ(platform::TIniFile(path).ReadString("B", "k", "-"), "-");
}

}  // namespace
