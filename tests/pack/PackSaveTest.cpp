// SPDX-License-Identifier: GPL-3.0-or-later
// Saving and closing: what reaches the target folder, the save question, both-packs mode, and
// the storage and configuration state afterwards.
#include "PackFixture.h"

#include "ConfigManager.h"
#include "Files.h"
#include "PackError.h"
#include "StorageManager.h"

using namespace pack_testing;
using namespace testing_support;
using Strings = std::vector<std::string>;

namespace {

class PackSaveTest : public PackModelTest {};

}  // namespace

TEST_F(PackSaveTest, SavingReplacesOnlyTheIniFilesAndPicturesOfThePacksKind) {
  std::string folder = MakePack("f", ":a", {"aa"}, spStatic);
  WriteBytes(folder + "aa.gif", "animated stays");
  WriteBytes(folder + "readme.txt", "stays");
  WriteBytes(folder + "old.ini", "goes");
  ASSERT_TRUE(Open(folder, spStatic));
  WriteBytes(folder + "ZZ.BMP", "stale");
  model->GetSmile(0)->Symbols.Add(":b");
  replaceAnswers = {true};  // ZZ.BMP came from outside
  ASSERT_TRUE(model->SavePack());
  EXPECT_EQ(ListFolder(folder), (Strings{"_define.ini", "aa.bmp", "aa.gif", "old.ini", "readme.txt"}));
  EXPECT_EQ(ReadBytes(folder + "_define.ini"), ":a,:b");
  EXPECT_EQ(ReadBytes(folder + "aa.gif"), "animated stays");
  EXPECT_EQ(State(spStatic), "1 1 1 [" + folder + "]");  // unchanged by the save
}

TEST_F(PackSaveTest, AShrunkPackLeavesNoStalePicturesInItsFolder) {
  std::string define;
  std::vector<std::string> pictures;
  for (int i = 0; i < 10; ++i) {
    define += ":" + std::to_string(i) + "\r\n";
    pictures.push_back(PictureFileName(i, spAnimated).substr(0, 2));
  }
  std::string folder = MakePack("ten", define.c_str(), pictures);
  ASSERT_TRUE(Open(folder));
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(model->DeleteSmile(7));
  ASSERT_TRUE(model->SavePack());
  EXPECT_EQ(ListFolder(folder), (Strings{"_define.ini", "aa.gif", "ab.gif", "ac.gif", "ad.gif",
                                         "ae.gif", "af.gif", "ag.gif"}));
}

TEST_F(PackSaveTest, AFailedSaveLeavesEveryFileOfTheFolder) {
  std::string folder = MakePack("f", ":a\r\n:b\r\n:c", {"aa", "ab", "ac"});
  ASSERT_TRUE(Open(folder));
  ASSERT_TRUE(model->DeleteSmile(0));
  {
    ScopedFileSizeLimit limit(1);
    EXPECT_THROW(model->SavePack(), EPackError);
  }
  EXPECT_EQ(ListFolder(folder), (Strings{"_define.ini", "aa.gif", "ab.gif", "ac.gif"}));
  EXPECT_EQ(TagOf(folder + "ac.gif"), "ac");
}

TEST_F(PackSaveTest, AFolderWithoutAPackGetsThePacksFilesAndLosesNothing) {
  ASSERT_TRUE(Open(MakePack("f", ":a", {"aa"})));
  std::string home = disk.Make("home/");
  for (const char* name : {"notes.ini", "photo.gif", "ab.gif", "ZZ.GIF"})
    WriteBytes(home + name, name);
  ASSERT_TRUE(model->SavePackAs(home + "_define.ini"));
  EXPECT_EQ(ListFolder(home),
            (Strings{"ZZ.GIF", "_define.ini", "aa.gif", "ab.gif", "notes.ini", "photo.gif"}));
  EXPECT_EQ(ReadBytes(home + "notes.ini"), "notes.ini");
}

TEST_F(PackSaveTest, FoldersTheStateFilesCannotHoldAreRefused) {
  ASSERT_TRUE(Open(MakePack("f", ":a", {"aa"})));
  std::string longFolder = disk.Path();
  while (longFolder.size() < 2100) longFolder += std::string(200, 'd') + "/";
  platform::ForceDirectories(longFolder);
  for (const std::string& folder : {disk.Make("line\nbreak/"), longFolder}) {
    try {
      model->SavePackAs(folder + "_define.ini");
      ADD_FAILURE() << "saved";
    } catch (const EPackError& e) {
      EXPECT_EQ(e.Kind(), EPackError::pkPathNotStorable);
    }
    EXPECT_EQ(ListFolder(folder), Strings{});
    EXPECT_EQ(model->SourcePath[spAnimated], disk.Path() + "f/");
  }
}

TEST_F(PackSaveTest, ATargetThatDoesNotReadBackWholeIsNoTarget) {
  // A folder path cut short (as a line break once cut it) names the parent's files.
  std::string parent = MakePack("parent", ":p", {"aa"});
  ASSERT_TRUE(Open(MakePack("parent/name", ":a", {"aa"})));
  {
    TStorageManager storage(StorageName("Storage/Animated"));
    TStorageIniFile(storage).SetString(TStorageIniFile::siSourcePath, parent + "name");
  }
  Restart();
  EXPECT_FALSE(model->SourceAssigned.Contains(spAnimated));
  EXPECT_FALSE(model->SavePack());
  EXPECT_EQ(TagOf(parent + "aa.gif"), "aa");
  EXPECT_EQ(ReadBytes(parent + "_define.ini"), ":p");
}

TEST_F(PackSaveTest, ANewPackIsSavedWithSaveAsWhichMakesItsTarget) {
  ASSERT_TRUE(model->NewPack());
  EXPECT_FALSE(model->IsChanged(spAnimated));  // nothing in it to lose
  model->AddSmile(MakePicture("x.gif", "X"));
  EXPECT_TRUE(model->IsChanged(spAnimated));
  EXPECT_FALSE(model->SavePack());
  std::string target = disk.Path() + "G/";
  ASSERT_TRUE(model->SavePackAs(target + "_define.ini"));
  EXPECT_FALSE(model->IsChanged(spAnimated));
  EXPECT_EQ(ListFolder(target), (Strings{"_define.ini", "aa.gif"}));
  EXPECT_EQ(State(), "1 1 1 [" + target + "]");
  EXPECT_EQ(model->SourcePath[spAnimated], target);
  model->GetSmile(0)->Symbols.Add(":x");
  ASSERT_TRUE(model->SavePack());
  EXPECT_EQ(ReadBytes(target + "_define.ini"), ":x");
}

TEST_F(PackSaveTest, SaveFirstOnANewPackAsksWhereAndCancelStopsEverything) {
  ASSERT_TRUE(model->NewPack());
  model->AddSmile(MakePicture("x.gif", "X"));
  events.clear();
  saveAnswers = {0};
  folderAnswers = {{false, ""}};
  EXPECT_FALSE(model->NewPack());
  EXPECT_EQ(events, (Strings{"save?", "choose single []"}));
  EXPECT_EQ(model->SmileCount(), 1);
  EXPECT_EQ(StorageTag("aa"), "X");

  saveAnswers = {0};
  folderAnswers = {{true, disk.Path() + "saved/_define.ini"}};
  EXPECT_TRUE(model->ClosePack());
  EXPECT_EQ(TagOf(disk.Path() + "saved/aa.gif"), "X");
  EXPECT_EQ(model->SmileCount(), 0);
}

TEST_F(PackSaveTest, SaveAsIntoAnotherPacksFolderAsksAndKeepsItByDefault) {
  ASSERT_TRUE(Open(MakePack("p", ":a", {"aa"})));
  std::string other = MakePack("q", ":q\r\n:r\r\n:s", {"aa", "ab", "ac"});
  platform::RenameReplace(other + "_define.ini", other + "_DEFINE.INI");
  events.clear();
  EXPECT_FALSE(model->SavePackAs(other + "_define.ini"));
  EXPECT_EQ(events, (Strings{"replace? q/ 3"}));
  EXPECT_EQ(ListFolder(other), (Strings{"_DEFINE.INI", "aa.gif", "ab.gif", "ac.gif"}));
  EXPECT_EQ(ReadBytes(other + "_DEFINE.INI"), ":q\r\n:r\r\n:s");
  EXPECT_EQ(State(), "1 1 1 [" + disk.Path() + "p/]");

  replaceAnswers = {true};
  ASSERT_TRUE(model->SavePackAs(other + "_define.ini"));
  EXPECT_EQ(ListFolder(other), (Strings{"_define.ini", "aa.gif"}));
  EXPECT_EQ(State(), "1 1 1 [" + other + "]");
  // Its own folder now, as saved: no question any more.
  events.clear();
  model->GetSmile(0)->Symbols.Add(":b");
  ASSERT_TRUE(model->SavePackAs(other + "_define.ini"));
  ASSERT_TRUE(model->SavePack());
  EXPECT_EQ(events, Strings{});
}

TEST_F(PackSaveTest, ASaveOverAPackChangedOutsideAsksAndCancelChangesNothing) {
  std::string folder = MakePack("p", ":a", {"aa"});
  ASSERT_TRUE(Open(folder));
  model->GetSmile(0)->Symbols.Add(":b");
  WriteBytes(folder + "_define.ini", ":a\r\n:x");  // a line added outside the editor
  std::string state = ReadBytes(StorageFolder() + "Config/Storage.ini");
  events.clear();
  EXPECT_FALSE(model->SavePack());
  // Saving first from the save question stops the command there too.
  saveAnswers = {0};
  EXPECT_FALSE(model->ClosePack());
  EXPECT_EQ(events, (Strings{"replace? p/ 2 changed", "save?", "replace? p/ 2 changed"}));
  EXPECT_EQ(ReadBytes(folder + "_define.ini"), ":a\r\n:x");
  EXPECT_EQ(ReadBytes(StorageFolder() + "Config/Storage.ini"), state);
  EXPECT_EQ(model->SmileCount(), 1);

  replaceAnswers = {true};
  ASSERT_TRUE(model->SavePack());
  EXPECT_EQ(ReadBytes(folder + "_define.ini"), ":a,:b");
}

TEST_F(PackSaveTest, IsChangedComparesTheWorkingCopyWithItsFolderAcrossRestarts) {
  ASSERT_TRUE(Open(MakePack("p", ":a\r\n:b", {"aa", "ab"})));
  EXPECT_FALSE(model->IsChanged(spAnimated));
  EXPECT_FALSE(model->IsChanged(spStatic));  // not loaded
  ASSERT_TRUE(model->DeleteSmile(0));
  EXPECT_TRUE(model->IsChanged(spAnimated));
  Restart();
  EXPECT_TRUE(model->IsChanged(spAnimated));
  int smile, symbol;
  ASSERT_TRUE(model->Undo(smile, symbol));
  EXPECT_FALSE(model->IsChanged(spAnimated));
  model->GetSmile(1)->Symbols.Add(":c");
  ASSERT_TRUE(model->SavePack());
  Restart();
  EXPECT_FALSE(model->IsChanged(spAnimated));
}

TEST_F(PackSaveTest, AStorageWithoutPrintsCountsAsChanged) {
  // As an earlier version left it: the state without the prints.
  std::string folder = MakePack("p", ":a", {"aa"});
  ASSERT_TRUE(Open(folder));
  {
    TStorageManager storage(StorageName("Storage/Animated"));
    TStorageIniFile(storage).SetState(true, true, true, folder);
  }
  Restart();
  EXPECT_TRUE(model->IsChanged(spAnimated));
  ASSERT_TRUE(model->SavePack());
  EXPECT_FALSE(model->IsChanged(spAnimated));
}

TEST_F(PackSaveTest, SavingIntoTheStorageTreeIsRefused) {
  ASSERT_TRUE(Open(MakePack("p", ":a", {"aa"})));
  std::string inside = appData.Path() + "Fennimo for Parlino 2005/2.0/Storage/Static/";
  EXPECT_FALSE(model->SavePackAs(inside + "_define.ini"));
  EXPECT_FALSE(model->SavePackAs(StorageFolder() + "_define.ini"));
  EXPECT_FALSE(model->SavePackAs(appData.Path() + "Fennimo for Parlino 2005/2.0/x/_define.ini"));
  EXPECT_EQ(StorageTag("aa"), "aa");
  EXPECT_EQ(model->SourcePath[spAnimated], disk.Path() + "p/");
}

TEST_F(PackSaveTest, CloseEmptiesTheStorageAndForgetsThePack) {
  ASSERT_TRUE(Open(MakePack("p", ":a", {"aa"})));
  events.clear();
  ASSERT_TRUE(model->ClosePack());
  EXPECT_EQ(events, (Strings{"closing"}));  // nothing changed since the open: no question
  EXPECT_EQ(ListFolder(StorageFolder()), (Strings{"Config"}));
  EXPECT_EQ(State(), "0 0 0 []");
  EXPECT_FALSE(model->LoadedPacks.Contains(spAnimated));
  EXPECT_EQ(model->SourcePath[spAnimated], "");
  EXPECT_FALSE(model->ClosePack());  // nothing loaded any more
  Restart();
  EXPECT_EQ(model->SmileCount(), 0);
  EXPECT_TRUE(model->LoadedPacks.Empty());
}

TEST_F(PackSaveTest, CancelledCloseChangesNothing) {
  ASSERT_TRUE(Open(MakePack("p", ":a", {"aa"})));
  model->GetSmile(0)->Symbols.Add(":b");
  saveAnswers = {2};
  EXPECT_FALSE(model->ClosePack());
  EXPECT_EQ(model->SmileCount(), 1);
  EXPECT_EQ(State(), "1 1 1 [" + disk.Path() + "p/]");
}

TEST_F(PackSaveTest, BothPacksWithOnlyStaticLoadedSaveAsAndClose) {
  ASSERT_TRUE(Open(MakePack("s", ":s", {"aa"}, spStatic), spStatic));
  model->SetBothPacks(true);
  std::string root = disk.Path() + "R";
  ASSERT_TRUE(model->SavePackAs(root));
  EXPECT_EQ(ListFolder(root + "/"), (Strings{"Static"}));
  EXPECT_EQ(ListFolder(root + "/Static/"), (Strings{"_define.ini", "aa.bmp"}));
  EXPECT_TRUE(model->BothPathsAssigned);
  EXPECT_EQ(model->BothPath, root + "/");
  ASSERT_TRUE(model->ClosePack());
  EXPECT_TRUE(model->LoadedPacks.Empty());
  EXPECT_FALSE(model->BothPathsAssigned);
}

TEST_F(PackSaveTest, BothPacksWithoutRootAskAndCancelChangesNothing) {
  model->SetBothPacks(true);
  ASSERT_TRUE(model->NewPack());
  events.clear();
  folderAnswers = {{false, ""}};
  EXPECT_FALSE(model->SavePack());
  EXPECT_EQ(events, (Strings{"choose both []"}));
  EXPECT_FALSE(model->BothPathsAssigned);

  std::string root = disk.Path() + "root";
  folderAnswers = {{true, root}};
  ASSERT_TRUE(model->SavePack());
  EXPECT_TRUE(Exists(root + "/Static/_define.ini"));
  EXPECT_TRUE(Exists(root + "/Animated/_define.ini"));
  EXPECT_EQ(model->BothPath, root);  // as the chooser returned it
  TConfigManager config(*model->ConfigStorage);
  EXPECT_EQ(config.GetString(TConfigManager::csBothPath), root);
  EXPECT_TRUE(model->SavePack());  // the root is known now: no question
  EXPECT_EQ(events.size(), 2u);
}

TEST_F(PackSaveTest, BothPacksAskOnlyForThePackWithoutTarget) {
  ASSERT_TRUE(model->NewPack());  // animated, no target
  model->SetActivePack(spStatic);
  model->SetBothPacks(true);
  events.clear();
  folderAnswers = {{false, ""}};
  EXPECT_FALSE(model->SavePack());
  EXPECT_EQ(events, (Strings{"choose single []"}));
  EXPECT_EQ(model->ActivePack, spStatic);

  folderAnswers = {{true, disk.Path() + "A/_define.ini"}};
  EXPECT_TRUE(model->SavePack());
  EXPECT_TRUE(Exists(disk.Path() + "A/_define.ini"));
  EXPECT_EQ(model->SourcePath[spAnimated], disk.Path() + "A/");
  EXPECT_EQ(model->ActivePack, spStatic);
}

TEST_F(PackSaveTest, BothPacksSaveQuestionCoversTheOtherLoadedPack) {
  ASSERT_TRUE(Open(MakePack("a", ":a", {"aa"})));
  model->GetSmile(0)->Symbols.Add(":b");
  model->SetActivePack(spStatic);
  model->SetBothPacks(true);
  events.clear();
  saveAnswers = {2};
  EXPECT_FALSE(model->NewPack());
  EXPECT_EQ(events, (Strings{"save?"}));
  EXPECT_TRUE(model->LoadedPacks.Contains(spAnimated));
}

TEST_F(PackSaveTest, ErrorCountsAddUpOverLoadedPacksInBothPacksMode) {
  ASSERT_TRUE(Open(MakePack("a", ":a\r\n\r\n", {"aa"})));  // one without symbols, one missing
  ASSERT_TRUE(Open(MakePack("s", "\r\n", {}, spStatic), spStatic));  // missing, no symbols
  EXPECT_EQ(model->ErrorCount(ekMissingPicture), 1);
  EXPECT_EQ(model->ErrorCount(ekNoSymbols), 1);
  model->SetBothPacks(true);
  EXPECT_EQ(model->ErrorCount(ekMissingPicture), 2);
  EXPECT_EQ(model->ErrorCount(ekNoSymbols), 2);
  EXPECT_EQ(model->ErrorCount(ekLoadError), 0);
}
