// SPDX-License-Identifier: GPL-3.0-or-later
// Where the channel between copies of the program lives, and how its messages are framed.
#include "Channel.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "TestSupport.h"

using platform::TChannelFrame;

namespace {

// Sets XDG_RUNTIME_DIR (unset when Value is null) for the object's lifetime.
class ScopedRuntimeDir {
public:
  explicit ScopedRuntimeDir(const char* value) {
    if (const char* old = std::getenv("XDG_RUNTIME_DIR")) had_ = true, old_ = old;
    if (value) ::setenv("XDG_RUNTIME_DIR", value, 1);
    else ::unsetenv("XDG_RUNTIME_DIR");
  }
  ~ScopedRuntimeDir() {
    if (had_) ::setenv("XDG_RUNTIME_DIR", old_.c_str(), 1);
    else ::unsetenv("XDG_RUNTIME_DIR");
  }

private:
  bool had_ = false;
  std::string old_;
};

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

}  // namespace

TEST(ChannelSocketPath, ARuntimeFolderOnlyTheUserCanOpenHoldsOneSocketPerWorkspaceAndTree) {
  testing_support::TempDir dir;
  std::string runtime = dir.Make("run/");
  ASSERT_EQ(::chmod(runtime.c_str(), 0700), 0);
  ScopedRuntimeDir scoped(runtime.c_str());
  std::string storage = platform::ChannelSocketPath("/data/a/", "Storage");
  EXPECT_EQ(storage.rfind(runtime + "fennimo-Storage-", 0), 0u) << storage;
  EXPECT_NE(platform::ChannelSocketPath("/data/a/", "Tessaro"), storage);
  EXPECT_NE(platform::ChannelSocketPath("/data/b/", "Storage"), storage);
  EXPECT_EQ(platform::ChannelSocketPath("/data/a/", "Storage"), storage);
}

TEST(ChannelSocketPath, ElseAFolderOfTheTreeMadeForTheUserAlone) {
  testing_support::TempDir dir;
  std::string root = dir.Make("tree/"), open = dir.Make("open/");
  ASSERT_EQ(::chmod(open.c_str(), 0755), 0);
  // No runtime folder, a relative one, one others can open: the tree's own folder.
  for (const char* runtime : {static_cast<const char*>(nullptr), "run", open.c_str()}) {
    SCOPED_TRACE(runtime ? runtime : "unset");
    ScopedRuntimeDir scoped(runtime);
    EXPECT_EQ(platform::ChannelSocketPath(root, "Storage"), root + "Sockets/Storage");
    EXPECT_EQ(ModeOf(root + "Sockets"), 0700u);
  }
  ScopedRuntimeDir scoped(nullptr);
  // A folder others can open, or a file in its place, is not used (nor changed).
  ASSERT_EQ(::chmod((root + "Sockets").c_str(), 0750), 0);
  EXPECT_EQ(platform::ChannelSocketPath(root, "Storage"), "");
  EXPECT_EQ(ModeOf(root + "Sockets"), 0750u);
  std::string other = dir.Make("other/");
  testing_support::WriteBytes(other + "Sockets", "");
  EXPECT_EQ(platform::ChannelSocketPath(other, "Storage"), "");
  // A path too long for a socket.
  std::string deep = dir.Make(std::string(100, 'x') + "/");
  EXPECT_EQ(platform::ChannelSocketPath(deep, "Storage"), "");
}

TEST(ChannelFrame, OnlyAWholeMessageOfAllowedSizeIsTaken) {
  std::string frame = platform::FrameChannelMessage("/home/u/packs/Animated/_define.ini");
  std::string message;
  for (std::size_t n = 0; n < frame.size(); ++n)
    EXPECT_EQ(platform::TakeChannelMessage(frame.substr(0, n), message), TChannelFrame::Partial)
        << n;
  ASSERT_EQ(platform::TakeChannelMessage(frame, message), TChannelFrame::Complete);
  EXPECT_EQ(message, "/home/u/packs/Animated/_define.ini");
  EXPECT_EQ(platform::TakeChannelMessage(frame + "x", message), TChannelFrame::Refused);
  EXPECT_EQ(platform::TakeChannelMessage(platform::FrameChannelMessage(""), message),
            TChannelFrame::Complete);
  EXPECT_EQ(message, "");

  std::string longest(platform::MaxChannelMessage, 'p');
  EXPECT_EQ(platform::TakeChannelMessage(platform::FrameChannelMessage(longest), message),
            TChannelFrame::Complete);
  // Too long: refused as soon as the length is in.
  std::string tooLong = platform::FrameChannelMessage(longest + "p");
  EXPECT_EQ(platform::TakeChannelMessage(tooLong.substr(0, 4), message), TChannelFrame::Refused);
  EXPECT_EQ(platform::TakeChannelMessage(std::string(4, '\xFF'), message), TChannelFrame::Refused);
}

TEST(ChannelPeer, AProcessOfThisUserIsKnownAsSuch) {
  int pair[2];
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
  EXPECT_TRUE(platform::PeerIsThisUser(pair[0]));
  ::close(pair[0]);
  ::close(pair[1]);
  EXPECT_FALSE(platform::PeerIsThisUser(-1));
}
