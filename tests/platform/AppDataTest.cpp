// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppData.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "TestSupport.h"

using namespace testing_support;

TEST(AppDataFolder, UsesXdgDataHomeAndCreatesIt) {
  ScopedAppData data;
  TempDir other;
  std::string wanted = other.Path() + "deep/er/";
  ::setenv("XDG_DATA_HOME", wanted.c_str(), 1);
  EXPECT_EQ(platform::AppDataFolder(), wanted);
  EXPECT_TRUE(Exists(wanted));
}

TEST(AppDataFolder, FallsBackToHomeWhenXdgIsRelativeOrMissing) {
  ScopedAppData data;
  TempDir home;
  ::setenv("HOME", home.Path().c_str(), 1);
  ::setenv("XDG_DATA_HOME", "relative/path", 1);
  EXPECT_EQ(platform::AppDataFolder(), home.Path() + ".local/share/");
  ::unsetenv("XDG_DATA_HOME");
  EXPECT_EQ(platform::AppDataFolder(), home.Path() + ".local/share/");
}

TEST(AppDataFolder, ItsPathIsKnownAlsoWhenItCannotBeMade) {
  ScopedAppData data;
  TempDir other;
  WriteBytes(other.Path() + "file", "");
  std::string wanted = other.Path() + "file/data/";
  ::setenv("XDG_DATA_HOME", wanted.c_str(), 1);
  EXPECT_EQ(platform::AppDataFolder(), "");
  EXPECT_EQ(platform::AppDataFolderPath(), wanted);
  ::unsetenv("XDG_DATA_HOME");
  ::unsetenv("HOME");
  EXPECT_EQ(platform::AppDataFolderPath(), "");
}

TEST(AppDataFolder, IsEmptyWithoutAnyHome) {
  ScopedAppData data;
  ::unsetenv("XDG_DATA_HOME");
  ::unsetenv("HOME");
  EXPECT_EQ(platform::AppDataFolder(), "");
}
