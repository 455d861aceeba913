// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConfigManager.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "StorageManager.h"
#include "Files.h"
#include "TestSupport.h"

using namespace testing_support;

namespace {

class ConfigTest : public ::testing::Test {
protected:
  ScopedAppData appData;
  TStorageManager workspace{"Fennimo for Parlino 2005/2.0/Storage/Config"};
  TStorageManager global{"Fennimo for Parlino 2005/2.0/Config"};
};

}  // namespace

TEST_F(ConfigTest, FreshProfileReadsTheDefaults) {
  TConfigManager config(workspace);
  EXPECT_FALSE(config.GetFlag(TConfigManager::cfBothSmilePacks));
  EXPECT_FALSE(config.GetFlag(TConfigManager::cfBothPathsAssigned));
  EXPECT_TRUE(config.GetFlag(TConfigManager::cfAnimated));
  EXPECT_FALSE(config.GetFlag(TConfigManager::cfCloseOnExit));
  EXPECT_TRUE(config.GetFlag(TConfigManager::cfShowWarnings));
  EXPECT_FALSE(config.GetFlag(TConfigManager::cfSaveOnExit));
  EXPECT_EQ(config.GetString(TConfigManager::csBothPath), "");
  TGlobalConfigManager globalConfig(global);
  EXPECT_EQ(globalConfig.GetString(TGlobalConfigManager::gsLangDirectory), "");
}

TEST_F(ConfigTest, FirstConstructionSetsUpTheStorageState) {
  TConfigManager config(workspace);
  TStorageIniFile state(workspace);
  EXPECT_TRUE(state.GetFlag(TStorageIniFile::fiStorageAllocated));
  EXPECT_EQ(ReadBytes(workspace.Path + "Config/Storage.ini"),
            "[Storage]\r\nStorageAllocated=1\r\nPathAssigned=0\r\nSmiliesLoaded=0\r\n"
            "SourcePath=\r\n");
}

TEST_F(ConfigTest, LaterConstructionLeavesTheStorageStateUntouched) {
  std::string state = "[Storage]\nStorageAllocated=1\nPathAssigned=1\nSourcePath=/x/\n";
  platform::ForceDirectories(global.Path + "Config/");
  WriteBytes(global.Path + "Config/Storage.ini", state);
  TGlobalConfigManager config(global);
  EXPECT_EQ(ReadBytes(global.Path + "Config/Storage.ini"), state);
}

TEST_F(ConfigTest, FlagsFollowTheValueRules) {
  WriteBytes(workspace.Path + "config.ini",
             "[Storage]\nAnimated=no\nShowWarnings=0\nBothSmilePacks=2\nSaveOnExit=0x0\n");
  TConfigManager config(workspace);
  EXPECT_TRUE(config.GetFlag(TConfigManager::cfAnimated));  // not a number: the default
  EXPECT_FALSE(config.GetFlag(TConfigManager::cfShowWarnings));
  EXPECT_TRUE(config.GetFlag(TConfigManager::cfBothSmilePacks));
  EXPECT_FALSE(config.GetFlag(TConfigManager::cfSaveOnExit));
}

TEST_F(ConfigTest, WritesAreSeenAtOnceByAnotherObject) {
  TConfigManager a(workspace), b(workspace);
  a.SetFlag(TConfigManager::cfAnimated, false);
  a.SetString(TConfigManager::csBothPath, "/packs/");
  EXPECT_FALSE(b.GetFlag(TConfigManager::cfAnimated));
  EXPECT_EQ(b.GetString(TConfigManager::csBothPath), "/packs/");
  EXPECT_EQ(ReadBytes(workspace.Path + "config.ini"),
            "[Storage]\r\nAnimated=0\r\nBothPath=/packs/\r\n");

  TGlobalConfigManager g1(global), g2(global);
  g1.SetString(TGlobalConfigManager::gsLangDirectory, "Languages/English.lng");
  EXPECT_EQ(g2.GetString(TGlobalConfigManager::gsLangDirectory), "Languages/English.lng");
  EXPECT_EQ(ReadBytes(global.Path + "config.ini"),
            "[Options]\r\nLangDirectory=Languages/English.lng\r\n");
}

TEST_F(ConfigTest, TempFolderIsMadeInsideTheStorage) {
  TConfigManager config(workspace);
  EXPECT_EQ(config.GetTempFolder(), workspace.Path + "Temp/");
  EXPECT_TRUE(platform::DirectoryExists(workspace.Path + "Temp"));
}

TEST_F(ConfigTest, FailedWriteIsReportedWithThePath) {
  TConfigManager config(workspace);
  ::rename((workspace.Path).c_str(), (appData.Path() + "moved").c_str());
  try {
    config.SetFlag(TConfigManager::cfSaveOnExit, true);
    FAIL() << "no error";
  } catch (const platform::EWriteError& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + workspace.Path + "config.ini");
  }
}
