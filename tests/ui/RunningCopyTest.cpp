// SPDX-License-Identifier: GPL-3.0-or-later
// The channel between copies of the program, both ends in this process: the listening end runs
// on this thread's event loop, senders on threads of their own or as bare sockets.
#include "RunningCopy.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>

#include <chrono>
#include <functional>
#include <future>
#include <string>
#include <vector>

#include "Channel.h"
#include "TestSupport.h"

namespace {

using namespace std::chrono_literals;

class RunningCopyTest : public ::testing::Test {
protected:
  testing_support::TempDir dir;
  std::string path = dir.Path() + "channel";
  std::vector<std::string> messages;

  std::unique_ptr<TRunningCopyServer> Listen() {
    auto server = std::make_unique<TRunningCopyServer>(
        path, [this](const std::string& m) { messages.push_back(m); });
    EXPECT_TRUE(server->Listening());
    return server;
  }

  // Runs the event loop until Done holds (true) or a generous limit has passed (false).
  static bool RunUntil(const std::function<bool()>& done) {
    auto end = std::chrono::steady_clock::now() + 60s;
    for (;;) {
      if (done()) return true;
      if (std::chrono::steady_clock::now() > end) return false;
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
  }

  // Sends as the starting copy does, from a thread of its own; the answer is the future's.
  std::future<bool> Send(const std::string& message) {
    return std::async(std::launch::async, [p = path, message] {
      return SendToRunningCopy(p, message);
    });
  }
  bool Sent(std::future<bool>& sending) {
    EXPECT_TRUE(RunUntil([&] { return sending.wait_for(0s) == std::future_status::ready; }));
    return sending.get();
  }

  // A bare connection that writes Bytes, and then stops sending when Done is set.
  int Connect(const std::string& bytes, bool done = true) {
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    if (done) ::shutdown(fd, SHUT_WR);
    return fd;
  }
};

TEST_F(RunningCopyTest, AMessageIsTakenAndItsSenderTold) {
  auto server = Listen();
  auto sending = Send("/home/u/packs/Animated/_define.ini");
  EXPECT_TRUE(Sent(sending));
  EXPECT_EQ(messages, std::vector<std::string>{"/home/u/packs/Animated/_define.ini"});
  sending = Send("");  // no argument: only the window comes forward
  EXPECT_TRUE(Sent(sending));
  EXPECT_EQ(messages.size(), 2u);
}

TEST_F(RunningCopyTest, APartialOrOversizedMessageIsRefused) {
  auto server = Listen();
  std::string whole = platform::FrameChannelMessage("/p");
  struct Sent {
    const char* what;
    std::string bytes;
    bool thenStops;  // else the sender waits for the answer
  } sent[] = {
      {"whole", whole, false},
      {"cut short", whole.substr(0, whole.size() - 1), true},
      {"more than one", whole + whole, false},
      {"oversized",
       platform::FrameChannelMessage(std::string(platform::MaxChannelMessage + 1, 'p')), false},
  };
  for (const auto& [what, bytes, thenStops] : sent) {
    SCOPED_TRACE(what);
    messages.clear();
    int fd = Connect(bytes, thenStops);
    char answer = 0;
    ssize_t n = -1;
    // The connection ends with the answer or without one.
    EXPECT_TRUE(RunUntil([&] {
      n = ::recv(fd, &answer, 1, MSG_DONTWAIT);
      return n >= 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
    }));
    ::close(fd);
    bool taken = std::string(what) == "whole";
    EXPECT_EQ(n == 1 && answer == platform::ChannelAccepted, taken);
    EXPECT_EQ(messages.size(), taken ? 1u : 0u);
  }
}

TEST_F(RunningCopyTest, AMessageWhoseSenderGaveUpIsNotActedOn) {
  auto server = Listen();
  ::close(Connect(platform::FrameChannelMessage("/given/up"), false));
  auto sending = Send("/later");
  EXPECT_TRUE(Sent(sending));
  EXPECT_EQ(messages, std::vector<std::string>{"/later"});
}

TEST_F(RunningCopyTest, ASocketLeftByACopyThatEndedIsReplacedAndNoneIsLeftBehind) {
  int stale = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address {};
  address.sun_family = AF_UNIX;
  path.copy(address.sun_path, sizeof address.sun_path - 1);
  ASSERT_EQ(::bind(stale, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ::close(stale);
  auto server = Listen();
  auto sending = Send("/p");
  EXPECT_TRUE(Sent(sending));
  server.reset();
  EXPECT_FALSE(testing_support::Exists(path));
  EXPECT_FALSE(TRunningCopyServer("", nullptr).Listening());
  EXPECT_FALSE(SendToRunningCopy("", "/p"));
}

}  // namespace
