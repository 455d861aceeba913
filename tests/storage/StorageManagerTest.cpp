// SPDX-License-Identifier: GPL-3.0-or-later
#include "StorageManager.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "TestSupport.h"

using namespace testing_support;

namespace {

class StorageTest : public ::testing::Test {
protected:
  ScopedAppData appData;
  TempDir source;
  TStorageManager storage{"Fennimo for Parlino 2005/2.0/Storage/Static"};
  std::vector<std::string> reported;

  void SetUp() override {
    storage.OnFile = [this](TStorageManager* sender, const std::string& name) {
      EXPECT_EQ(sender, &storage);
      reported.push_back(name);
    };
  }
  std::string Src(const std::string& name) const { return source.Path() + name; }
};

}  // namespace

TEST_F(StorageTest, PathIsUnderTheApplicationDataFolderWithEveryLevelCreated) {
  EXPECT_EQ(storage.Path, appData.Path() + "Fennimo for Parlino 2005/2.0/Storage/Static/");
  EXPECT_TRUE(storage.Allocated);
  struct stat st {};
  EXPECT_EQ(::stat(storage.Path.c_str(), &st), 0);
}

TEST_F(StorageTest, PatternsThatMatchNothingReturnFalseWithoutReporting) {
  EXPECT_FALSE(storage.DeleteFiles("*.gif"));
  EXPECT_FALSE(storage.CopyFilesIn(Src("*.gif")));
  EXPECT_FALSE(storage.CopyFilesOut(source.Path()));
  EXPECT_FALSE(storage.DeleteFilesAt(Src("*.ini")));
  EXPECT_TRUE(reported.empty());
}

TEST_F(StorageTest, CopyInLowerCasesNamesAndReportsEachFileFirst) {
  WriteBytes(Src("_Define.ini"), "lines");
  WriteBytes(Src("AB.BMP"), "ab");
  WriteBytes(Src("aa.bmp"), "aa");
  WriteBytes(storage.Path + "ab.bmp", "old");
  EXPECT_TRUE(storage.CopyFilesIn(Src("*.ini")));
  EXPECT_TRUE(storage.CopyFilesIn(Src("*.bmp")));
  EXPECT_EQ(reported, (std::vector<std::string>{"_Define.ini", "AB.BMP", "aa.bmp"}));
  EXPECT_EQ(ListFolder(storage.Path),
            (std::vector<std::string>{"_define.ini", "aa.bmp", "ab.bmp"}));
  EXPECT_EQ(ReadBytes(storage.Path + "ab.bmp"), "ab");
}

TEST_F(StorageTest, NamesDifferingOnlyInCaseKeepTheLowerCaseFile) {
  WriteBytes(Src("aa.gif"), "lower");
  WriteBytes(Src("AA.GIF"), "upper");
  WriteBytes(Src("Aa.gif"), "mixed");
  EXPECT_TRUE(storage.CopyFilesIn(Src("*.gif")));
  EXPECT_EQ(ListFolder(storage.Path), (std::vector<std::string>{"aa.gif"}));
  EXPECT_EQ(ReadBytes(storage.Path + "aa.gif"), "lower");
}

TEST_F(StorageTest, CopyOutReplacesTargetFilesAndNeverTakesTheStateFile) {
  WriteBytes(storage.Path + "_define.ini", "new");
  WriteBytes(storage.Path + "aa.gif", "pic");
  { TStorageIniFile state(storage); state.SetFlag(TStorageIniFile::fiSmiliesLoaded, true); }
  WriteBytes(Src("_define.ini"), "old");
  // Scratch files of an interrupted change never travel with the pack.
  WriteBytes(storage.Path + ".fennimo-tmp.Ab12Cd", "half");
  WriteBytes(storage.Path + "ab.gif.fennimo-staged", "waiting");
  EXPECT_TRUE(storage.CopyFilesOut(source.Path()));
  EXPECT_EQ(ReadBytes(Src("_define.ini")), "new");
  EXPECT_EQ(ListFolder(source.Path()), (std::vector<std::string>{"_define.ini", "aa.gif"}));
}

TEST_F(StorageTest, WalksNeverTouchFoldersFifosOrLinkedFolders) {
  source.Make("sub.gif/");
  WriteBytes(Src("sub.gif/inner"), "x");
  ASSERT_EQ(::mkfifo(Src("fifo.gif").c_str(), 0600), 0);
  ASSERT_EQ(::mkfifo((storage.Path + "fifo.gif").c_str(), 0600), 0);
  WriteBytes(Src("real.gif"), "r");
  EXPECT_TRUE(storage.CopyFilesIn(Src("*.gif")));
  EXPECT_EQ(reported, (std::vector<std::string>{"real.gif"}));
  EXPECT_TRUE(storage.DeleteFiles("*.gif"));
  EXPECT_TRUE(Exists(storage.Path + "fifo.gif"));
  EXPECT_FALSE(Exists(storage.Path + "real.gif"));
  EXPECT_TRUE(storage.DeleteFilesAt(Src("*.*")));  // only real.gif matched
  EXPECT_TRUE(Exists(Src("sub.gif/inner")));
  EXPECT_TRUE(Exists(Src("fifo.gif")));
}

TEST_F(StorageTest, DeleteFilesAtRemovesOnlyMatchingFilesOfThatFolder) {
  WriteBytes(Src("aa.bmp"), "");
  WriteBytes(Src("aa.gif"), "");
  WriteBytes(Src("notes.txt"), "");
  EXPECT_TRUE(storage.DeleteFilesAt(Src("*.bmp")));
  EXPECT_EQ(ListFolder(source.Path()), (std::vector<std::string>{"aa.gif", "notes.txt"}));
}

TEST(StorageWithoutAppData, TouchesNothing) {
  ScopedAppData appData;
  ::unsetenv("XDG_DATA_HOME");
  ::unsetenv("HOME");
  TempDir cwd;
  WriteBytes(cwd.Path() + "victim.ini", "keep");
  char old[4096];
  ASSERT_NE(::getcwd(old, sizeof old), nullptr);
  ASSERT_EQ(::chdir(cwd.Path().c_str()), 0);

  TStorageManager storage("Fennimo for Parlino 2005/2.0/Storage/Static");
  int calls = 0;
  storage.OnFile = [&](TStorageManager*, const std::string&) { ++calls; };
  EXPECT_EQ(storage.Path, "");
  EXPECT_FALSE(storage.Allocated);
  EXPECT_FALSE(storage.DeleteFiles("*.ini"));
  EXPECT_FALSE(storage.CopyFilesIn(cwd.Path() + "*.ini"));
  EXPECT_FALSE(storage.CopyFilesOut(cwd.Path()));
  TStorageIniFile state(storage);
  EXPECT_FALSE(state.GetFlag(TStorageIniFile::fiStorageAllocated));
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(ListFolder(cwd.Path()), (std::vector<std::string>{"victim.ini"}));
  ASSERT_EQ(::chdir(old), 0);
}

TEST_F(StorageTest, StateFileDefaultsAndValueRules) {
  TStorageIniFile state(storage);
  EXPECT_TRUE(Exists(storage.Path + "Config/"));
  EXPECT_FALSE(state.GetFlag(TStorageIniFile::fiStorageAllocated));
  EXPECT_FALSE(state.GetFlag(TStorageIniFile::fiPathAssigned));
  EXPECT_FALSE(state.GetFlag(TStorageIniFile::fiSmiliesLoaded));
  EXPECT_EQ(state.GetString(TStorageIniFile::siSourcePath), "");

  state.SetFlag(TStorageIniFile::fiSmiliesLoaded, true);
  state.SetString(TStorageIniFile::siSourcePath, "/packs/Static/");
  EXPECT_EQ(ReadBytes(storage.Path + "Config/Storage.ini"),
            "[Storage]\r\nSmiliesLoaded=1\r\nSourcePath=/packs/Static/\r\n");

  WriteBytes(storage.Path + "Config/Storage.ini",
             "[storage]\nstorageallocated=0x10\nPathAssigned=yes\nSmiliesLoaded=0\n");
  TStorageIniFile again(storage);
  EXPECT_TRUE(again.GetFlag(TStorageIniFile::fiStorageAllocated));
  EXPECT_FALSE(again.GetFlag(TStorageIniFile::fiPathAssigned));
  EXPECT_FALSE(again.GetFlag(TStorageIniFile::fiSmiliesLoaded));
}
