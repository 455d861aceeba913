// SPDX-License-Identifier: GPL-3.0-or-later
#include "HostHandoff.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <semaphore.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "TestSupport.h"
#include "WorkspaceLock.h"

using platform::THandoffBlock;

namespace {

THandoffBlock Parse(const std::string& block, std::uint32_t pid, std::string& home,
                    std::string& open) {
  return platform::ParseHandoffBlock(reinterpret_cast<const unsigned char*>(block.data()),
                                     block.size(), pid, home, open);
}

void SetLe32(std::string& block, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) block[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

}  // namespace

TEST(HandoffBlock, AWellFormedBlockForThisProcessGivesBothFolders) {
  std::string home, open;
  auto block = platform::MakeHandoffBlock(42, "/home/u/packs", "/media/in");
  ASSERT_EQ(Parse(block, 42, home, open), THandoffBlock::Ours);
  EXPECT_EQ(home, "/home/u/packs");
  EXPECT_EQ(open, "/media/in");
  block = platform::MakeHandoffBlock(42, "/h", "");
  ASSERT_EQ(Parse(block, 42, home, open), THandoffBlock::Ours);
  EXPECT_EQ(open, "");
}

TEST(HandoffBlock, ABlockForAnotherProcessIsLeftAlone) {
  std::string home = "keep", open = "keep";
  EXPECT_EQ(Parse(platform::MakeHandoffBlock(7, "/h", "/o"), 8, home, open),
            THandoffBlock::OtherProcess);
  EXPECT_EQ(home, "keep");
}

TEST(HandoffBlock, MalformedBlocksAreNeverReadPastTheirEnd) {
  std::string home = "keep", open = "keep";
  auto good = platform::MakeHandoffBlock(1, "/home", "/open");
  // Every truncation of a good block.
  for (std::size_t n = 0; n < good.size(); ++n)
    EXPECT_EQ(Parse(good.substr(0, n), 1, home, open), THandoffBlock::Malformed) << n;
  // Lengths that overflow 32 bits when added, or point past the end.
  std::string bad = good;
  SetLe32(bad, 4, 0xFFFFFFFFu);
  SetLe32(bad, 8, 0xFFFFFFFFu);
  EXPECT_EQ(Parse(bad, 1, home, open), THandoffBlock::Malformed);
  bad = good;
  SetLe32(bad, 8, 0xFFFFFFF0u);
  EXPECT_EQ(Parse(bad, 1, home, open), THandoffBlock::Malformed);
  // Terminators missing inside the block.
  bad = good;
  bad[12 + 5] = 'x';  // string 1's zero byte
  bad[13 + 5 + 5] = 'y';
  EXPECT_EQ(Parse(bad, 1, home, open), THandoffBlock::Malformed);
  EXPECT_EQ(home, "keep");
  // A zero byte earlier than length1 says ends the string there; length1 still finds string 2.
  bad = good;
  bad[14] = '\0';
  ASSERT_EQ(Parse(bad, 1, home, open), THandoffBlock::Ours);
  EXPECT_EQ(home, "/h");
  EXPECT_EQ(open, "/open");
}

// A block and a semaphore as a host makes them, under names of this test's own.
class SharedHandoff : public ::testing::Test {
protected:
  std::string block = "/FennimoTestFile" + std::to_string(::getpid());
  std::string event = "/FennimoTestEvent" + std::to_string(::getpid());
  std::string home, open;

  void TearDown() override {
    ::sem_unlink(event.c_str());
    ::shm_unlink(block.c_str());
  }
  int MakeBlock(const std::string& bytes) {
    ::shm_unlink(block.c_str());
    int fd = ::shm_open(block.c_str(), O_CREAT | O_EXCL | O_RDWR, 0600);
    EXPECT_GE(fd, 0);
    EXPECT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    return fd;
  }
  bool Read() { return platform::ReadHostHandoff(home, open, block.c_str(), event.c_str()); }
};

TEST_F(SharedHandoff, ABlockForThisProcessIsReadAndTheSemaphorePostedOnce) {
  EXPECT_FALSE(Read());
  auto pid = static_cast<std::uint32_t>(::getpid());
  ::close(MakeBlock(platform::MakeHandoffBlock(pid, "/h", "/o")));
  sem_t* sem = ::sem_open(event.c_str(), O_CREAT, 0600, 0);
  ASSERT_NE(sem, SEM_FAILED);

  ASSERT_TRUE(Read());
  EXPECT_EQ(home, "/h");
  EXPECT_EQ(open, "/o");
  EXPECT_EQ(::sem_trywait(sem), 0);  // posted once
  EXPECT_NE(::sem_trywait(sem), 0);
  ::sem_close(sem);
}

// The block names the folders the program opens and saves to, and the semaphore is the host's:
// neither is taken from another user, nor when someone else could have written it.
TEST_F(SharedHandoff, OnlyTheUsersOwnBlockAndSemaphoreAreTaken) {
  constexpr uid_t kOwn = static_cast<uid_t>(-1), kNobody = 65534;
  struct Case {
    const char* what;
    mode_t blockMode;
    uid_t blockOwner;
    mode_t eventMode;
    uid_t eventOwner;
    bool taken, posted;
  } cases[] = {
      {"both the user's alone", 0600, kOwn, 0600, kOwn, true, true},
      {"block the group may write", 0620, kOwn, 0600, kOwn, false, false},
      {"block anyone may write", 0606, kOwn, 0600, kOwn, false, false},
      {"block of another user", 0600, kNobody, 0600, kOwn, false, false},
      {"semaphore anyone may write", 0600, kOwn, 0666, kOwn, true, false},
      {"semaphore of another user", 0600, kOwn, 0600, kNobody, true, false},
  };
  std::string eventFile = "/dev/shm/sem." + event.substr(1);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // Only the superuser can give an object away.
    if ((c.blockOwner == kNobody || c.eventOwner == kNobody) && ::geteuid() != 0) continue;
    auto pid = static_cast<std::uint32_t>(::getpid());
    int fd = MakeBlock(platform::MakeHandoffBlock(pid, "/h", ""));
    ASSERT_EQ(::fchmod(fd, c.blockMode), 0);
    ASSERT_EQ(::fchown(fd, c.blockOwner, c.blockOwner), 0);
    ::close(fd);
    ::sem_unlink(event.c_str());
    sem_t* sem = ::sem_open(event.c_str(), O_CREAT, 0600, 0);
    ASSERT_NE(sem, SEM_FAILED);
    ASSERT_EQ(::chmod(eventFile.c_str(), c.eventMode), 0);
    ASSERT_EQ(::chown(eventFile.c_str(), c.eventOwner, c.eventOwner), 0);

    home = open = "keep";
    EXPECT_EQ(Read(), c.taken);
    EXPECT_EQ(home, c.taken ? "/h" : "keep");
    EXPECT_EQ(::sem_trywait(sem) == 0, c.posted);
    ::sem_close(sem);
  }
}

TEST_F(SharedHandoff, ABlockThatShrinksWhileItIsReadEndsNothing) {
  auto bytes = platform::MakeHandoffBlock(static_cast<std::uint32_t>(::getpid()), "/h", "/o");
  int fd = MakeBlock(bytes);
  std::atomic<bool> done{false};
  std::thread host([&] {
    for (bool empty = true; !done; empty = !empty)
      EXPECT_EQ(::ftruncate(fd, empty ? 0 : static_cast<off_t>(bytes.size())), 0);
  });
  for (int i = 0; i < 20000; ++i) Read();
  done = true;
  host.join();
  ::close(fd);
}

TEST(WorkspaceLock, OnlyOneHolderAtATime) {
  testing_support::TempDir dir;
  std::string file = dir.Path() + "StorageStorageMutex.lock";
  auto first = platform::TWorkspaceLock::TryAcquire(file);
  ASSERT_NE(first, nullptr);
  using TRefusal = platform::TWorkspaceLock::TRefusal;
  TRefusal refusal = TRefusal::None;
  EXPECT_EQ(platform::TWorkspaceLock::TryAcquire(file, &refusal), nullptr);
  EXPECT_EQ(refusal, TRefusal::HeldElsewhere);
  EXPECT_NE(platform::TWorkspaceLock::TryAcquire(dir.Path() + "TessaroStorageMutex.lock"), nullptr);
  first.reset();
  EXPECT_NE(platform::TWorkspaceLock::TryAcquire(file, &refusal), nullptr);
  EXPECT_EQ(refusal, TRefusal::None);
}

TEST(WorkspaceLock, AFileThatCannotBeMadeIsToldApartFromOneHeldElsewhere) {
  testing_support::TempDir dir;
  using TRefusal = platform::TWorkspaceLock::TRefusal;
  TRefusal refusal = TRefusal::None;
  std::string folderInTheWay = dir.Make("StorageStorageMutex.lock/");
  EXPECT_EQ(platform::TWorkspaceLock::TryAcquire(folderInTheWay, &refusal), nullptr);
  EXPECT_EQ(refusal, TRefusal::CannotCreate);
  EXPECT_EQ(platform::TWorkspaceLock::TryAcquire(dir.Path() + "gone/x.lock", &refusal), nullptr);
  EXPECT_EQ(refusal, TRefusal::CannotCreate);
}
