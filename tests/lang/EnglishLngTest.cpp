// SPDX-License-Identifier: GPL-3.0-or-later
// The shipped English language file: complete, nothing the program doesn't read, and readable
// as Windows-1251 without a byte-order mark.
#include <gtest/gtest.h>

#include "Lang.h"
#include "LangFileCheck.h"
#include "LangTables.h"
#include "TestSupport.h"

namespace {

const std::string kEnglish = FENNIMO_SOURCE_DIR "/Languages/English.lng";

TEST(EnglishLanguageFile, HasEveryKeyOfEveryTableAndNothingElse) {
  TLangFileCheck check = CheckLangFile(kEnglish);
  ASSERT_TRUE(check.Readable) << kEnglish;
  for (const auto& section : check.Sections) {
    ADD_FAILURE() << "[" << section.Section << "]" << (section.MissingSection ? " missing" : "")
                  << (section.UnknownSection ? " unknown" : "") << " missing keys "
                  << section.MissingKeys.size() << ", unknown keys " << section.UnknownKeys.size()
                  << ", repeated keys " << section.RepeatedKeys.size();
  }
}

TEST(EnglishLanguageFile, IsPlainAsciiSoThatItReadsTheSameInEveryEncoding) {
  std::string bytes = testing_support::ReadBytes(kEnglish);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    ASSERT_TRUE(c == '\n' || c == '\r' || (c >= 0x20 && c < 0x7F)) << "byte " << i;
  }
}

TEST(EnglishLanguageFile, IsListedAsEnglishAndTranslatesEveryText) {
  TLangManager manager(FENNIMO_SOURCE_DIR "/Languages/");
  manager.Scan();
  manager.SelectByFileName(kEnglish);
  TLang* english = manager.Current();
  ASSERT_NE(english, nullptr);
  EXPECT_EQ(english->LangName, "English");
  EXPECT_EQ(english->Text(CommonLang, 1), "Cancel");
  EXPECT_EQ(english->Text(MainFormLang, 30), "of");
  for (const TLangTable* table : AllLangTables()) {
    for (int i = 0; i < table->Count(); ++i) {
      // Being plain ASCII, a non-empty text can't be a leftover Russian one.
      EXPECT_FALSE(english->Text(*table, i).empty()) << table->Section << " " << i;
    }
  }
}

}  // namespace
