// SPDX-License-Identifier: GPL-3.0-or-later
#include "Files.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include "TestSupport.h"

using namespace testing_support;
using platform::FindFiles;

namespace {

class FilesTest : public ::testing::Test {
protected:
  TempDir dir;
  std::string P(const std::string& name) const { return dir.Path() + name; }
};

}  // namespace

TEST(Paths, SplitAndJoin) {
  EXPECT_EQ(platform::ExtractFilePath("/a/b/_define.ini"), "/a/b/");
  EXPECT_EQ(platform::ExtractFileName("/a/b/_define.ini"), "_define.ini");
  EXPECT_EQ(platform::ExtractFilePath("name"), "");
  EXPECT_EQ(platform::IncludeTrailingPathDelimiter("/a"), "/a/");
  EXPECT_EQ(platform::IncludeTrailingPathDelimiter("/a/"), "/a/");
  EXPECT_EQ(platform::IncludeTrailingPathDelimiter(""), "");
}

TEST(MatchesMask, IgnoresCaseAndHandlesWildcards) {
  EXPECT_TRUE(platform::MatchesMask("AA.GIF", "*.gif"));
  EXPECT_TRUE(platform::MatchesMask("_Define.ini", "_define.INI"));
  EXPECT_TRUE(platform::MatchesMask("noext", "*.*"));
  EXPECT_TRUE(platform::MatchesMask("a.b.gif", "*.gif"));
  EXPECT_TRUE(platform::MatchesMask("ab.gif", "a?.gif"));
  EXPECT_FALSE(platform::MatchesMask("aa.gif1", "*.gif"));
  EXPECT_FALSE(platform::MatchesMask("aa.bmp", "*.gif"));
}

TEST_F(FilesTest, FindFilesListsOnlyRegularFilesInNameOrder) {
  WriteBytes(P("b.GIF"), "1");
  WriteBytes(P("a.gif"), "2");
  WriteBytes(P(".hidden.gif"), "3");
  WriteBytes(P("c.bmp"), "4");
  dir.Make("folder.gif/");
  ASSERT_EQ(::mkfifo(P("fifo.gif").c_str(), 0600), 0);
  ASSERT_EQ(::symlink(P("a.gif").c_str(), P("link.gif").c_str()), 0);
  ASSERT_EQ(::symlink(P("folder.gif").c_str(), P("dirlink.gif").c_str()), 0);
  ASSERT_EQ(::symlink(P("missing").c_str(), P("broken.gif").c_str()), 0);
  int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr {};
  addr.sun_family = AF_UNIX;
  std::string sock = P("sock.gif");
  if (sock.size() < sizeof addr.sun_path) {
    std::copy(sock.begin(), sock.end(), addr.sun_path);
    ASSERT_EQ(::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  }

  EXPECT_EQ(FindFiles(P("*.gif")),
            (std::vector<std::string>{".hidden.gif", "a.gif", "b.GIF", "link.gif"}));
  EXPECT_TRUE(FindFiles(P("missing/*.gif")).empty());
  ::close(s);
}

TEST_F(FilesTest, CopyReplacesTargetAndLeavesNoTemporaryFile) {
  WriteBytes(P("src"), "new content");
  WriteBytes(P("dst"), "old");
  ASSERT_TRUE(platform::CopyFileReplace(P("src"), P("dst")));
  EXPECT_EQ(ReadBytes(P("dst")), "new content");
  EXPECT_EQ(ListFolder(dir.Path()), (std::vector<std::string>{"dst", "src"}));
}

TEST_F(FilesTest, CopyFailuresLeaveTheTargetAlone) {
  WriteBytes(P("dst"), "old");
  EXPECT_FALSE(platform::CopyFileReplace(P("missing"), P("dst")));
  ASSERT_EQ(::mkfifo(P("fifo").c_str(), 0600), 0);
  EXPECT_FALSE(platform::CopyFileReplace(P("fifo"), P("dst")));  // must not block
  dir.Make("sub/");
  EXPECT_FALSE(platform::CopyFileReplace(P("sub"), P("dst")));
  WriteBytes(P("src"), "x");
  EXPECT_FALSE(platform::CopyFileReplace(P("src"), P("no/such/folder/dst")));
  EXPECT_EQ(ReadBytes(P("dst")), "old");
}

TEST_F(FilesTest, CopyThatFailsPartWayKeepsTheOldTarget) {
  WriteBytes(P("src"), std::string(100000, 'x'));
  WriteBytes(P("dst"), "old");
  {
    ScopedFileSizeLimit limit(1000);
    EXPECT_FALSE(platform::CopyFileReplace(P("src"), P("dst")));
  }
  EXPECT_EQ(ReadBytes(P("dst")), "old");
  EXPECT_EQ(ListFolder(dir.Path()), (std::vector<std::string>{"dst", "src"}));
}

TEST_F(FilesTest, MoveNeverReplaces) {
  WriteBytes(P("a"), "A");
  WriteBytes(P("b"), "B");
  EXPECT_FALSE(platform::MoveFileNoReplace(P("a"), P("b")));
  EXPECT_EQ(ReadBytes(P("a")), "A");
  EXPECT_EQ(ReadBytes(P("b")), "B");
  EXPECT_FALSE(platform::MoveFileNoReplace(P("missing"), P("c")));
  EXPECT_TRUE(platform::MoveFileNoReplace(P("a"), P("c")));
  EXPECT_FALSE(Exists(P("a")));
  EXPECT_EQ(ReadBytes(P("c")), "A");
}

TEST_F(FilesTest, DeleteRemovesFilesButNeverFolders) {
  WriteBytes(P("f"), "x");
  dir.Make("d/");
  EXPECT_TRUE(platform::DeleteFile(P("f")));
  EXPECT_FALSE(platform::DeleteFile(P("f")));
  EXPECT_FALSE(platform::DeleteFile(P("d")));
  EXPECT_TRUE(Exists(P("d")));
}

TEST_F(FilesTest, ForceDirectoriesMakesEveryLevel) {
  EXPECT_TRUE(platform::ForceDirectories(P("x/y/z/")));
  EXPECT_TRUE(platform::DirectoryExists(P("x/y/z")));
  WriteBytes(P("file"), "");
  EXPECT_FALSE(platform::ForceDirectories(P("file/sub")));
}

TEST_F(FilesTest, AtomicWriteReplacesOrKeepsTheOldFile) {
  WriteBytes(P("f"), "old");
  ASSERT_TRUE(platform::WriteFileAtomic(P("f"), "new"));
  EXPECT_EQ(ReadBytes(P("f")), "new");
  {
    ScopedFileSizeLimit limit(10);
    EXPECT_FALSE(platform::WriteFileAtomic(P("f"), std::string(1000, 'y')));
  }
  EXPECT_EQ(ReadBytes(P("f")), "new");
  dir.Make("folder/");
  WriteBytes(P("folder/inside"), "keep");
  EXPECT_FALSE(platform::WriteFileAtomic(P("folder"), "x"));
  EXPECT_EQ(ReadBytes(P("folder/inside")), "keep");
  EXPECT_FALSE(platform::WriteFileAtomic(P("missing/f"), "x"));
  EXPECT_EQ(ListFolder(dir.Path()), (std::vector<std::string>{"f", "folder"}));
}

TEST_F(FilesTest, ReadFileRefusesFifosAndFolders) {
  std::string data;
  ASSERT_EQ(::mkfifo(P("fifo").c_str(), 0600), 0);
  EXPECT_FALSE(platform::ReadFile(P("fifo"), data));
  EXPECT_FALSE(platform::ReadFile(dir.Path(), data));
  WriteBytes(P("f"), std::string("a\0b", 3));
  ASSERT_TRUE(platform::ReadFile(P("f"), data));
  EXPECT_EQ(data, std::string("a\0b", 3));
}

// The power cut the crash-point tests use: a name not synced in its folder goes back, data not
// synced in its file is lost; what was synced stays.
TEST_F(FilesTest, APowerCutLosesWhatWasNotSynced) {
  WriteBytes(P("replaced"), "old");
  WriteBytes(P("renamed"), "r");
  dir.Make("synced/");
  pid_t child = ::fork();
  if (child == 0) {
    platform::SkipSyncs(true);
    platform::EndProcessAtFileStep(1000, 0, platform::TEnd::PowerCut);
    platform::WriteFileAtomic(P("replaced"), "new");
    platform::RenameReplace(P("renamed"), P("moved"));
    platform::WriteFileAtomic(P("synced/flushed"), "data");
    platform::CopyFileNew(P("replaced"), P("synced/unflushed"));
    platform::SyncFolder(P("synced/"));
    platform::WriteFileAtomic(P("synced/late"), "late");
    platform::EndProcessNow(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_EQ(ReadBytes(P("replaced")), "old");
  EXPECT_TRUE(Exists(P("renamed")));
  EXPECT_FALSE(Exists(P("moved")));
  EXPECT_EQ(ReadBytes(P("synced/flushed")), "data");
  EXPECT_TRUE(Exists(P("synced/unflushed")));
  EXPECT_EQ(ReadBytes(P("synced/unflushed")), "");
  EXPECT_FALSE(Exists(P("synced/late")));
  EXPECT_EQ(ListFolder(P("")), (std::vector<std::string>{"renamed", "replaced", "synced"}));
}
