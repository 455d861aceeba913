// SPDX-License-Identifier: GPL-3.0-or-later
// The list of languages and the current language: scanning, the three ways to choose, the
// change notification, who owns the current record, and files that change underneath.
#include "Lang.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "LangFiles.h"
#include "LangTables.h"

using lang_testing::LangFolder;

namespace {

class LangManagerTest : public ::testing::Test {
protected:
  LangManagerTest() : manager(dir.Path()) {
    manager.OnLanguageChanged = [this](TLangManager* sender, TLang* lang) {
      EXPECT_EQ(sender, &manager);
      EXPECT_EQ(lang, manager.Current());
      changes.push_back(lang ? lang->LangName : "(none)");
    };
  }

  // Writes a language file named `name` whose LangName is `langName` and whose Common key 1
  // is `cancel`; returns its path.
  std::string AddLanguage(const std::string& name, const std::string& langName,
                          const std::string& cancel = "Cancel") {
    return dir.Write(name,
                     "[Description]\nLangName=" + langName + "\n[Common]\n1=" + cancel + "\n");
  }

  std::vector<std::string> ListedNames() const {
    std::vector<std::string> names;
    for (int i = 0; i < manager.Count(); ++i) names.push_back(manager.Items(i)->LangName);
    return names;
  }

  std::string CurrentCancel() { return manager.Current()->Text(CommonLang, 1); }

  LangFolder dir;
  TLangManager manager;
  std::vector<std::string> changes;
};

TEST_F(LangManagerTest, StartsWithOnlyTheBuiltInLanguageAndNoCurrentOne) {
  EXPECT_EQ(manager.Count(), 1);
  EXPECT_TRUE(manager.Items(0)->IsDefault);
  EXPECT_EQ(manager.Current(), nullptr);
  EXPECT_EQ(manager.CurrentFileName, "");
  EXPECT_EQ(manager.CurrentIndex(), 0);
  EXPECT_EQ(manager.Items(-1), nullptr);
  EXPECT_EQ(manager.Items(1), nullptr);
}

TEST(LangManagerDirectory, GetsATrailingSeparator) {
  EXPECT_EQ(TLangManager("Languages").Directory, "Languages/");
  EXPECT_EQ(TLangManager("Languages/").Directory, "Languages/");
}

TEST_F(LangManagerTest, ScanListsLngFilesInNameOrderAfterTheBuiltInLanguage) {
  AddLanguage("b.lng", "Bravo");
  AddLanguage("A.LNG", "Alpha");
  AddLanguage("c.lng.txt", "Not a language");
  AddLanguage("folder.lng/x.lng", "In a folder");
  dir.Write(".hidden.lng", "");
  dir.Write("nameless.lng", "[MainForm]\n0=Title\n");
  manager.Scan();
  EXPECT_EQ(ListedNames(), (std::vector<std::string>{"Русский", "-", "Alpha", "Bravo", "-"}));
  EXPECT_EQ(manager.Items(2)->FileName, dir.PathOf("A.LNG"));
  EXPECT_TRUE(changes.empty());
}

TEST(LangManagerScan, MissingFolderListsOnlyTheBuiltInLanguage) {
  LangFolder dir;
  TLangManager manager(dir.PathOf("no such folder"));
  manager.Scan();
  EXPECT_EQ(manager.Count(), 1);
}

TEST_F(LangManagerTest, SelectByFileNameMakesAFreshRecordOfTheListedFileAndNotifies) {
  std::string path = AddLanguage("en.lng", "English");
  manager.Scan();
  manager.SelectByFileName(path);
  ASSERT_NE(manager.Current(), nullptr);
  EXPECT_NE(manager.Current(), manager.Items(1));
  EXPECT_EQ(manager.Current()->FileName, path);
  EXPECT_EQ(manager.CurrentFileName, path);
  EXPECT_EQ(manager.CurrentIndex(), 1);
  EXPECT_EQ(CurrentCancel(), "Cancel");
  EXPECT_EQ(changes, (std::vector<std::string>{"English"}));
}

TEST_F(LangManagerTest, SelectByFileNameIgnoresLetterCaseAndOpensTheListedSpelling) {
  std::string path = AddLanguage("English.lng", "English");
  manager.Scan();
  manager.SelectByFileName(dir.PathOf("ENGLISH.LNG"));
  EXPECT_FALSE(manager.Current()->IsDefault);
  EXPECT_EQ(manager.CurrentFileName, path);
  EXPECT_EQ(manager.CurrentIndex(), 1);
  EXPECT_EQ(CurrentCancel(), "Cancel");
}

TEST_F(LangManagerTest, SelectByFileNameOfAnUnlistedFileGivesTheBuiltInLanguage) {
  std::string path = AddLanguage("en.lng", "English");
  manager.SelectByFileName(path);  // exists, but was never scanned
  EXPECT_TRUE(manager.Current()->IsDefault);
  EXPECT_EQ(manager.CurrentFileName, "");
  manager.Scan();
  manager.SelectByFileName(dir.PathOf("gone.lng"));
  EXPECT_TRUE(manager.Current()->IsDefault);
  EXPECT_EQ(manager.CurrentFileName, "");
  EXPECT_EQ(manager.CurrentIndex(), 0);
  EXPECT_EQ(CurrentCancel(), "Отмена");
}

TEST_F(LangManagerTest, SelectByIndexMakesAFreshRecordOfThatEntry) {
  AddLanguage("a.lng", "Alpha", "A-cancel");
  std::string b = AddLanguage("b.lng", "Bravo", "B-cancel");
  manager.Scan();
  manager.SelectByIndex(2);
  EXPECT_EQ(manager.CurrentFileName, b);
  EXPECT_EQ(manager.CurrentIndex(), 2);
  EXPECT_EQ(CurrentCancel(), "B-cancel");
  manager.SelectByIndex(0);
  EXPECT_TRUE(manager.Current()->IsDefault);
  EXPECT_EQ(manager.CurrentFileName, "");
  EXPECT_EQ(changes, (std::vector<std::string>{"Bravo", "Русский"}));
}

TEST_F(LangManagerTest, SelectByIndexOutsideTheListGivesTheBuiltInLanguage) {
  AddLanguage("a.lng", "Alpha");
  manager.Scan();
  for (int index : {-1, 2, 1000}) {
    manager.SelectByIndex(1);
    manager.SelectByIndex(index);
    EXPECT_TRUE(manager.Current()->IsDefault) << index;
    EXPECT_EQ(manager.CurrentFileName, "") << index;
    EXPECT_EQ(manager.CurrentIndex(), 0) << index;
  }
}

TEST_F(LangManagerTest, FileDeletedBetweenScanAndSelectionGivesBuiltInTexts) {
  std::string path = AddLanguage("en.lng", "English");
  manager.Scan();
  ASSERT_EQ(std::remove(path.c_str()), 0);

  manager.SelectByFileName(path);
  EXPECT_TRUE(manager.Current()->IsDefault);
  EXPECT_EQ(manager.CurrentFileName, "");

  manager.SelectByIndex(1);
  EXPECT_TRUE(manager.Current()->IsDefault);
  EXPECT_EQ(CurrentCancel(), "Отмена");
  // The entry stays chosen, so the choice is stored and found again if the file comes back.
  EXPECT_EQ(manager.CurrentFileName, path);
  EXPECT_EQ(manager.CurrentIndex(), 1);
}

TEST_F(LangManagerTest, LoadFileAddsTheRecordToTheListAndMakesItCurrent) {
  std::string path = AddLanguage("en.lng", "English");
  manager.LoadFile(path);
  EXPECT_EQ(manager.Count(), 2);
  EXPECT_EQ(manager.Current(), manager.Items(1));
  EXPECT_EQ(manager.CurrentFileName, path);
  EXPECT_EQ(manager.CurrentIndex(), 1);
  EXPECT_EQ(CurrentCancel(), "Cancel");
  EXPECT_EQ(changes, (std::vector<std::string>{"English"}));
}

TEST_F(LangManagerTest, LoadFileOfAMissingOrEmptyNameGivesTheBuiltInLanguage) {
  std::string stale = dir.PathOf("stale.lng");
  manager.LoadFile(stale);
  EXPECT_TRUE(manager.Current()->IsDefault);
  EXPECT_EQ(manager.CurrentFileName, stale);
  EXPECT_EQ(manager.CurrentIndex(), 0);
  EXPECT_EQ(CurrentCancel(), "Отмена");

  manager.LoadFile("");
  EXPECT_TRUE(manager.Current()->IsDefault);
  EXPECT_EQ(manager.CurrentFileName, "");
  EXPECT_EQ(changes, (std::vector<std::string>{"Русский", "Русский"}));
}

TEST_F(LangManagerTest, LoadFileOpensAFileWhoseNameDiffersOnlyInLetterCase) {
  std::string path = AddLanguage("English.lng", "English");
  manager.LoadFile(dir.PathOf("english.LNG"));
  EXPECT_FALSE(manager.Current()->IsDefault);
  EXPECT_EQ(manager.Current()->FileName, path);
  EXPECT_EQ(CurrentCancel(), "Cancel");
}

TEST_F(LangManagerTest, CurrentRecordStaysUsableWhenTheListIsRebuilt) {
  AddLanguage("en.lng", "English");
  manager.LoadFile(dir.PathOf("en.lng"));
  TLang* current = manager.Current();
  manager.Scan();
  EXPECT_EQ(manager.Current(), current);
  EXPECT_EQ(CurrentCancel(), "Cancel");
  manager.Clear();
  EXPECT_EQ(CurrentCancel(), "Cancel");
  manager.SelectByIndex(0);
  EXPECT_TRUE(manager.Current()->IsDefault);
}

TEST_F(LangManagerTest, SwitchingBackAndForthReleasesEveryOwnedRecord) {
  AddLanguage("a.lng", "Alpha");
  AddLanguage("b.lng", "Bravo");
  manager.Scan();
  for (int round = 0; round < 3; ++round) {
    manager.SelectByIndex(1);
    manager.LoadFile(dir.PathOf("b.lng"));
    manager.SelectByFileName(dir.PathOf("a.lng"));
    manager.LoadFile(dir.PathOf("a.lng"));
    manager.SelectByIndex(-1);
  }
  EXPECT_TRUE(manager.Current()->IsDefault);
  EXPECT_EQ(changes.size(), 15u);
}

TEST_F(LangManagerTest, HandlerMayClearTheNotificationWhileItRuns) {
  int calls = 0;
  std::string captured = "kept alive by the running handler";
  manager.OnLanguageChanged = [&, captured](TLangManager* sender, TLang*) {
    sender->OnLanguageChanged = nullptr;
    EXPECT_EQ(captured, "kept alive by the running handler");
    ++calls;
  };
  manager.SelectByIndex(0);
  manager.SelectByIndex(0);
  EXPECT_EQ(calls, 1);
}

TEST_F(LangManagerTest, NotificationIsOptional) {
  AddLanguage("a.lng", "Alpha");
  manager.OnLanguageChanged = nullptr;
  manager.Scan();
  manager.SelectByIndex(1);
  manager.SelectByFileName("");
  manager.LoadFile(dir.PathOf("a.lng"));
  EXPECT_EQ(manager.Current()->LangName, "Alpha");
}

// The Options dialog: the stored choice is selected silently, then every change of the list
// applies the language at once, and whatever is current when the dialog closes is stored and
// loaded at the next start.
TEST_F(LangManagerTest, LanguageChosenInOptionsIsLoadedAgainAtTheNextStart) {
  AddLanguage("de.lng", "Deutsch", "Abbrechen");
  std::string en = AddLanguage("en.lng", "English", "Cancel");
  std::string stored = dir.PathOf("DE.lng");

  TLangManager options(dir.Path());
  options.Scan();
  options.SelectByFileName(stored);
  EXPECT_EQ(options.CurrentIndex(), 1);
  std::vector<std::string> applied;
  options.OnLanguageChanged = [&](TLangManager*, TLang* lang) {
    applied.push_back(lang->Text(CommonLang, 1));
  };
  options.SelectByIndex(2);
  EXPECT_EQ(applied, (std::vector<std::string>{"Cancel"}));
  stored = options.CurrentFileName;
  EXPECT_EQ(stored, en);

  TLangManager start(dir.Path());
  start.LoadFile(stored);
  EXPECT_EQ(start.Current()->Text(CommonLang, 1), "Cancel");
}

}  // namespace
