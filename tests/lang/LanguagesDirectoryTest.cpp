// SPDX-License-Identifier: GPL-3.0-or-later
// Where the program looks for its language folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <string>

#include "Files.h"
#include "Lang.h"
#include "TestSupport.h"

namespace {

class ScopedCurrentDirectory {
public:
  explicit ScopedCurrentDirectory(const std::string& path) {
    char buffer[PATH_MAX];
    if (::getcwd(buffer, sizeof buffer)) old_ = buffer;
    EXPECT_EQ(::chdir(path.c_str()), 0) << path;
  }
  ~ScopedCurrentDirectory() {
    if (!old_.empty()) {
      EXPECT_EQ(::chdir(old_.c_str()), 0);
    }
  }

private:
  std::string old_;
};

std::string ProgramFolder() {
  char buffer[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return "";
  return platform::ExtractFilePath(std::string(buffer, static_cast<std::size_t>(n)));
}

// The folder as an absolute path: a language file name it lists names the same file from any
// current directory.
std::string InCurrentDirectory(const std::string& folder) {
  char buffer[PATH_MAX];
  return std::string(::getcwd(buffer, sizeof buffer) ? buffer : "") + "/" + folder;
}

TEST(LanguagesDirectory, CurrentDirectoryComesFirst) {
  testing_support::TempDir cwd;
  cwd.Make("Languages/");
  ScopedCurrentDirectory in(cwd.Path());
  EXPECT_EQ(FindLanguagesDirectory(), InCurrentDirectory("Languages/"));
}

// One test, so that no other test runs while the folder beside the program exists.
TEST(LanguagesDirectory, FallsBackToTheProgramsFolderAndThenToTheRelativeName) {
  testing_support::TempDir cwd;
  ScopedCurrentDirectory in(cwd.Path());
  std::string beside = ProgramFolder() + "Languages/";
  ASSERT_FALSE(platform::DirectoryExists(beside)) << "left over from an earlier run: " << beside;

  EXPECT_EQ(FindLanguagesDirectory(), InCurrentDirectory("Languages/"));

  if (!platform::ForceDirectories(beside)) GTEST_SKIP() << "can't write beside the program";
  std::string found = FindLanguagesDirectory();
  ::rmdir(beside.c_str());
  EXPECT_EQ(found, beside);
}

}  // namespace
