// SPDX-License-Identifier: GPL-3.0-or-later
// Comparing a language file with the sections and keys the program reads.
#include "LangFileCheck.h"

#include <gtest/gtest.h>

#include <string>

#include "LangFiles.h"
#include "LangTables.h"

using lang_testing::CompleteLangFile;
using lang_testing::LangFolder;

namespace {

using Keys = std::vector<std::string>;

const TLangSectionCheck* Find(const TLangFileCheck& check, const std::string& section) {
  for (const auto& s : check.Sections) {
    if (s.Section == section) return &s;
  }
  return nullptr;
}

TEST(LangFileCheck, CompleteFileHasNoFindings) {
  LangFolder dir;
  TLangFileCheck check = CheckLangFile(dir.Write("t.lng", CompleteLangFile() + "[Description]\n"));
  EXPECT_TRUE(check.Readable);
  EXPECT_TRUE(check.Complete());
  EXPECT_EQ(check.LangName, "Test");
}

TEST(LangFileCheck, LangIdIsAllowedAndNamesIgnoreLetterCase) {
  LangFolder dir;
  std::string text = CompleteLangFile() + "[description]\n";
  text.replace(text.find("LangName"), 8, "LANGNAME");
  text.replace(text.find("[MainForm]"), 10, "[mainform]");
  text.insert(text.find("LangDesc"), "LangId=1033\n");
  EXPECT_TRUE(CheckLangFile(dir.Write("t.lng", text)).Complete());
}

TEST(LangFileCheck, ListsMissingKeysAndSectionsInTheProgramsOrder) {
  LangFolder dir;
  std::string text = CompleteLangFile();
  text.erase(text.find("LangMail=m\n"), 11);
  auto erase = [&](const std::string& section, const std::string& line) {
    std::size_t at = text.find(line, text.find("[" + section + "]"));
    text.erase(at, line.size());
  };
  erase("MainForm", "\n30=t");
  erase("MainForm", "\n5=t");
  std::size_t query = text.find("[QueryForm]");
  text.erase(query, text.find("[EmptyForm]") - query);

  TLangFileCheck check = CheckLangFile(dir.Write("t.lng", text));
  EXPECT_FALSE(check.Complete());
  ASSERT_EQ(check.Sections.size(), 3u);
  EXPECT_EQ(check.Sections[0].Section, "Description");
  EXPECT_EQ(check.Sections[0].MissingKeys, Keys{"LangMail"});
  EXPECT_EQ(check.Sections[1].Section, "MainForm");
  EXPECT_EQ(check.Sections[1].MissingKeys, (Keys{"5", "30"}));
  EXPECT_FALSE(check.Sections[1].MissingSection);
  EXPECT_EQ(check.Sections[2].Section, "QueryForm");
  EXPECT_TRUE(check.Sections[2].MissingSection);
  EXPECT_EQ(check.Sections[2].MissingKeys, Keys{"0"});
}

TEST(LangFileCheck, ListsUnknownKeysAndSectionsAndRepeatedKeys) {
  LangFolder dir;
  std::string text = CompleteLangFile();
  text.insert(text.find("[General]"), "90=extra\n00=padded\nЗаголовок=x\n0=again\n");
  text += "[Справка]\n0=x\n[Extra]\n";
  TLangFileCheck check = CheckLangFile(dir.Write("t.lng", text));
  const TLangSectionCheck* main = Find(check, "MainForm");
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(main->UnknownKeys, (Keys{"90", "00", "Заголовок"}));
  EXPECT_EQ(main->RepeatedKeys, Keys{"0"});
  EXPECT_TRUE(main->MissingKeys.empty());
  ASSERT_NE(Find(check, "Справка"), nullptr);
  EXPECT_TRUE(Find(check, "Справка")->UnknownSection);
  ASSERT_NE(Find(check, "Extra"), nullptr);
  EXPECT_EQ(check.Sections.back().Section, "Extra");
}

TEST(LangFileCheck, UnreadableFileIsReportedAsSuch) {
  LangFolder dir;
  EXPECT_FALSE(CheckLangFile(dir.PathOf("missing.lng")).Readable);
  dir.Write("folder.lng/x", "");
  EXPECT_FALSE(CheckLangFile(dir.PathOf("folder.lng")).Readable);
  EXPECT_FALSE(CheckLangFile(dir.PathOf("folder.lng")).Complete());
}

TEST(LangFileCheck, EmptyFileLacksEverySectionAndHasNoName) {
  LangFolder dir;
  TLangFileCheck check = CheckLangFile(dir.WriteBytes("empty.lng", ""));
  EXPECT_TRUE(check.Readable);
  EXPECT_EQ(check.LangName, "-");
  EXPECT_EQ(check.Sections.size(), AllLangTables().size() + 1);
  for (const auto& section : check.Sections) EXPECT_TRUE(section.MissingSection);
}

TEST(LangFileCheck, ByteOrderMarkedFileNamesComeOutAsUtf8) {
  LangFolder dir;
  TLangFileCheck check = CheckLangFile(
      dir.WriteUtf8("t.lng", CompleteLangFile() + "[Ελληνικά]\n[MainForm]\n"));
  EXPECT_EQ(check.LangName, "Test");
  ASSERT_EQ(check.Sections.size(), 1u);
  EXPECT_EQ(check.Sections[0].Section, "Ελληνικά");
}

TEST(LangFileCheck, FileWithManyKeysIsCheckedQuickly) {
  LangFolder dir;
  std::string text = CompleteLangFile() + "[Extra]\n";
  for (int i = 0; i < 20000; ++i) text += "k" + std::to_string(i) + "=v\n";
  text.insert(text.find("[General]"), text.substr(text.find("[Extra]\n") + 8));
  TLangFileCheck check = CheckLangFile(dir.Write("t.lng", text));
  ASSERT_NE(Find(check, "MainForm"), nullptr);
  EXPECT_EQ(Find(check, "MainForm")->UnknownKeys.size(), 20000u);
}

}  // namespace
