// SPDX-License-Identifier: GPL-3.0-or-later
// One language record: its description, its lookups and what bad files do to it.
#include "Lang.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "LangFiles.h"
#include "LangTables.h"

using lang_testing::LangFolder;

namespace {

constexpr const char* kOneText = "[Description]\nLangName=Test\n[Common]\n1=Abbrechen\n";

TEST(BuiltInLanguage, DescribesRussianAndAlwaysReturnsTheDefault) {
  TLang lang("", true);
  EXPECT_TRUE(lang.IsDefault);
  EXPECT_EQ(lang.FileName, "");
  EXPECT_EQ(lang.LangName, "Русский");
  EXPECT_EQ(lang.LangDesc, "Язык программы по умолчинию");
  EXPECT_EQ(lang.LangVer, "2.2");
  EXPECT_EQ(lang.LangMail, "");
  EXPECT_FALSE(lang.LangAuth.empty());
  EXPECT_FALSE(lang.LangUrl.empty());
  EXPECT_EQ(lang.LangLocale, "ru");  // the toolkit's own texts are Russian, too
  lang.Section = "Common";
  EXPECT_EQ(lang.GetText(1, "Отмена"), "Отмена");
}

TEST(BuiltInLanguage, MissingFileOrFolderGivesTheBuiltInRecord) {
  LangFolder dir;
  TLang missing(dir.PathOf("gone.lng"), false);
  EXPECT_TRUE(missing.IsDefault);
  EXPECT_EQ(missing.FileName, "");
  EXPECT_EQ(missing.LangName, "Русский");

  dir.Write("folder.lng/inside.txt", "x");
  TLang folder(dir.PathOf("folder.lng"), false);
  EXPECT_TRUE(folder.IsDefault);
}

TEST(LanguageDescription, ReadsEveryKeyAndADashForEachMissingOne) {
  LangFolder dir;
  std::string path = dir.Write("de.lng",
                               "[Description]\nLangName=Deutsch\nLangAuth=Hans\nLangId=1031\n"
                               "LangMail=\nLangLocale=de\n");
  TLang lang(path, false);
  EXPECT_FALSE(lang.IsDefault);
  EXPECT_EQ(lang.FileName, path);
  EXPECT_EQ(lang.LangName, "Deutsch");
  EXPECT_EQ(lang.LangAuth, "Hans");
  EXPECT_EQ(lang.LangMail, "");
  EXPECT_EQ(lang.LangDesc, "-");
  EXPECT_EQ(lang.LangVer, "-");
  EXPECT_EQ(lang.LangUrl, "-");
  EXPECT_EQ(lang.LangLocale, "de");
  // Without a locale the toolkit keeps its own texts.
  EXPECT_EQ(TLang(dir.Write("none.lng", kOneText), false).LangLocale, "");
}

TEST(LanguageLookup, ReadsTheDecimalKeyOfTheCurrentSection) {
  LangFolder dir;
  TLang lang(dir.Write("t.lng", "[MainForm]\n10=About\n1=New\n[General]\n10=Save\n"), false);
  lang.Section = "MainForm";
  EXPECT_EQ(lang.GetText(10, "О программе"), "About");
  EXPECT_EQ(lang.GetText(1, "Новый смайлпак"), "New");
  lang.Section = "General";
  EXPECT_EQ(lang.GetText(10, "Сохранение смайлпака"), "Save");
  EXPECT_EQ(lang.GetText(1, "Ошибка"), "Ошибка");
}

TEST(LanguageLookup, MissingKeyOrSectionGivesTheDefaultButAnEmptyValueGivesEmptyText) {
  LangFolder dir;
  TLang lang(dir.Write("t.lng", "[Common]\n0=\n1=   \n2=\"\"\n"), false);
  lang.Section = "Common";
  EXPECT_EQ(lang.GetText(0, "OK"), "");
  EXPECT_EQ(lang.GetText(1, "Отмена"), "");
  EXPECT_EQ(lang.GetText(2, "Да"), "");
  EXPECT_EQ(lang.GetText(3, "Нет"), "Нет");
  lang.Section = "QueryForm";
  EXPECT_EQ(lang.GetText(0, "Сохранить изменения?"), "Сохранить изменения?");
}

TEST(LanguageLookup, BlanksAndOnePairOfMatchingQuotesAroundAValueAreDropped) {
  LangFolder dir;
  TLang lang(dir.Write("t.lng",
                       "[Common]\n"
                       "  0  =   OK now   \n"
                       "1=\"  Cancel  \"\n"
                       "2='Yes'\n"
                       "3=\"No'\n"
                       "[CheckForm]\n"
                       "6=Click \"Replace\" or \"Skip\"\n"
                       "7=\"\"quoted\"\"\n"),
             false);
  lang.Section = "Common";
  EXPECT_EQ(lang.GetText(0, "d"), "OK now");
  EXPECT_EQ(lang.GetText(1, "d"), "  Cancel  ");
  EXPECT_EQ(lang.GetText(2, "d"), "Yes");
  EXPECT_EQ(lang.GetText(3, "d"), "\"No'");
  lang.Section = "CheckForm";
  EXPECT_EQ(lang.GetText(6, "d"), "Click \"Replace\" or \"Skip\"");
  EXPECT_EQ(lang.GetText(7, "d"), "\"quoted\"");
}

TEST(LanguageLookup, FirstOfRepeatedSectionsAndKeysWins) {
  LangFolder dir;
  TLang lang(dir.Write("t.lng",
                       "[Description]\nLangName=First\nLangName=Second\n"
                       "[Common]\n0=one\n0=two\n"
                       "[Description]\nLangVer=9\n"
                       "[common]\n1=later\n"),
             false);
  EXPECT_EQ(lang.LangName, "First");
  EXPECT_EQ(lang.LangVer, "-");
  lang.Section = "Common";
  EXPECT_EQ(lang.GetText(0, "OK"), "one");
  EXPECT_EQ(lang.GetText(1, "Отмена"), "Отмена");
}

TEST(LanguageLookup, TextUsesTheTablesSectionAndBuiltInText) {
  LangFolder dir;
  TLang lang(dir.Write("t.lng", kOneText), false);
  lang.Section = "MainForm";
  EXPECT_EQ(lang.Text(CommonLang, 1), "Abbrechen");
  EXPECT_EQ(lang.Section, "Common");
  EXPECT_EQ(lang.Text(CommonLang, 2), "Да");
  EXPECT_EQ(lang.Text(GeneralLang, 14), "Все файлы");
  EXPECT_EQ(lang.Section, "General");
  EXPECT_EQ(lang.Text(CommonLang, -1), "");
}

TEST(LanguageLookup, NothingIsCachedBetweenLookups) {
  LangFolder dir;
  std::string path = dir.Write("t.lng", "[Common]\n0=first\n");
  TLang lang(path, false);
  lang.Section = "Common";
  EXPECT_EQ(lang.GetText(0, "OK"), "first");
  dir.Write("t.lng", "[Common]\n0=second\n");
  EXPECT_EQ(lang.GetText(0, "OK"), "second");
  ASSERT_EQ(std::remove(path.c_str()), 0);
  EXPECT_EQ(lang.GetText(0, "OK"), "OK");
  EXPECT_EQ(lang.LangName, "-");
}

TEST(LanguageEncoding, Windows1251TextComesOutAsUtf8) {
  LangFolder dir;
  TLang lang(dir.Write("uk.lng",
                       "[Description]\nLangName=Українська\n[Common]\n1=Скасувати\n"
                       "[MainForm]\n30=з «Ёё»\n"),
             false);
  EXPECT_EQ(lang.LangName, "Українська");
  EXPECT_EQ(lang.Text(CommonLang, 1), "Скасувати");
  EXPECT_EQ(lang.Text(MainFormLang, 30), "з «Ёё»");
}

TEST(LanguageEncoding, FileWithByteOrderMarkIsReadAsUtf8FromItsFirstLine) {
  LangFolder dir;
  TLang lang(dir.WriteUtf8("el.lng",
                           "[Description]\r\nLangName=Ελληνικά\r\n[Common]\r\n1=Ακύρωση ✓\r\n"),
             false);
  EXPECT_EQ(lang.LangName, "Ελληνικά");
  EXPECT_EQ(lang.Text(CommonLang, 1), "Ακύρωση ✓");
}

TEST(LanguageEncoding, MalformedUtf8AfterAByteOrderMarkBecomesReplacementCharacters) {
  LangFolder dir;
  TLang lang(dir.WriteUtf8("bad.lng",
                           "[Common]\n0=a\xC3\n1=\xE2\x82\n2=\xED\xA0\x80z\n"
                           "3=\xC0\xAF\xF4\x90\x80\x80\n"),
             false);
  lang.Section = "Common";
  EXPECT_EQ(lang.GetText(0, ""), "a\uFFFD");
  EXPECT_EQ(lang.GetText(1, ""), "\uFFFD\uFFFD");
  EXPECT_EQ(lang.GetText(2, ""), "\uFFFD\uFFFD\uFFFDz");
  EXPECT_EQ(lang.GetText(3, ""), "\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD");
}

TEST(BadLanguageFile, EmptyFileIsListedAsDashAndKeepsEveryBuiltInText) {
  LangFolder dir;
  TLang lang(dir.WriteBytes("empty.lng", ""), false);
  EXPECT_FALSE(lang.IsDefault);
  EXPECT_EQ(lang.LangName, "-");
  for (const TLangTable* table : AllLangTables()) {
    for (int i = 0; i < table->Count(); ++i)
      EXPECT_EQ(lang.Text(*table, i), table->Texts[i]) << table->Section << " " << i;
  }
}

TEST(BadLanguageFile, BinaryFileGivesBuiltInTextsAndNeverTextPastANulByte) {
  LangFolder dir;
  std::string bytes;
  unsigned state = 12345;
  for (int i = 0; i < 64 * 1024; ++i) {
    state = state * 1103515245u + 12345u;
    bytes.push_back(static_cast<char>(state >> 16));
  }
  bytes += std::string("\n[Common]\n0=O\0K\xFF\n", 17);
  TLang lang(dir.WriteBytes("junk.lng", bytes), false);
  EXPECT_EQ(lang.Text(CommonLang, 0), "O");
  EXPECT_EQ(lang.Text(CommonLang, 1), "Отмена");
  for (const TLangTable* table : AllLangTables()) {
    for (int i = 0; i < table->Count(); ++i) (void)lang.Text(*table, i);
  }
}

TEST(BadLanguageFile, VeryLargeFileIsReadAndOverlongValuesAreCut) {
  LangFolder dir;
  std::string bytes = "[Description]\nLangName=Big\n[Filler]\n";
  while (bytes.size() < 4 * 1024 * 1024) bytes += "key=" + std::string(60, 'x') + "\n";
  bytes += "[Common]\n0=" + std::string(3 * 1024 * 1024, '\xC6') + "\n1=End\n";
  TLang lang(dir.WriteBytes("big.lng", bytes), false);
  EXPECT_EQ(lang.LangName, "Big");
  EXPECT_EQ(lang.Text(CommonLang, 1), "End");
  std::string cut = lang.Text(CommonLang, 0);
  EXPECT_EQ(cut.size(), 2047u * 2);  // 2047 letters Ж, two UTF-8 bytes each
  EXPECT_EQ(cut.substr(0, 2), "Ж");
}

TEST(BadLanguageFile, UnreadableFileKeepsDashesAndBuiltInTexts) {
  if (::geteuid() == 0) GTEST_SKIP() << "file permissions don't bind the superuser";
  LangFolder dir;
  std::string path = dir.Write("locked.lng", kOneText);
  ASSERT_EQ(::chmod(path.c_str(), 0), 0);
  TLang lang(path, false);
  EXPECT_FALSE(lang.IsDefault);
  EXPECT_EQ(lang.LangName, "-");
  EXPECT_EQ(lang.Text(CommonLang, 1), "Отмена");
}

}  // namespace
