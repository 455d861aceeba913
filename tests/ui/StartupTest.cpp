// SPDX-License-Identifier: GPL-3.0-or-later
// The real program, started as a user or the host tool would start it (offscreen): the
// workspace lock, the host hand-off, and an orderly end on a termination request. No dialog
// waits for a person: the program's test build logs each modal dialog to the file that
// FENNIMO_DIALOG_LOG names and closes it as with its close box.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/prctl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <thread>

#include "Channel.h"
#include "Files.h"
#include "HostHandoff.h"
#include "StorageManager.h"
#include "TestSupport.h"
#include "WorkspaceLock.h"

extern char** environ;

using namespace testing_support;
using namespace std::chrono_literals;

namespace {

const std::string kProgram = FENNIMO_PROGRAM;
const std::string kHost = FENNIMO_TEST_HOST;

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit = 60s) {
  auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end) {
    if (condition()) return true;
    std::this_thread::sleep_for(50ms);
  }
  return condition();
}

class StartupTest : public ::testing::Test {
protected:
  ScopedAppData appData;
  TempDir disk;
  std::string dialogLog = disk.Path() + "dialogs.log";
  std::vector<pid_t> children;

  // The program started by the test host is the host's child; when the host ends, it becomes
  // ours, so that the test can wait for it.
  void SetUp() override { ::prctl(PR_SET_CHILD_SUBREAPER, 1); }

  void TearDown() override {
    for (pid_t pid : children) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, nullptr, 0);
    }
  }

  std::vector<std::string> Environment() const {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) env.emplace_back(*e);
    env.push_back("QT_QPA_PLATFORM=offscreen");
    env.push_back("FENNIMO_DIALOG_LOG=" + dialogLog);
    return env;
  }

  pid_t Spawn(const std::vector<std::string>& args, int* stdoutPipe = nullptr,
              const std::string& cwd = "") {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    auto env = Environment();
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!cwd.empty()) posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
    int pipeFds[2] = {-1, -1};
    if (stdoutPipe) {
      EXPECT_EQ(::pipe(pipeFds), 0);
      posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
      posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    }
    pid_t pid = -1;
    EXPECT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()), 0);
    posix_spawn_file_actions_destroy(&actions);
    if (stdoutPipe) {
      ::close(pipeFds[1]);
      *stdoutPipe = pipeFds[0];
    }
    children.push_back(pid);
    return pid;
  }

  pid_t StartProgram() { return Spawn({kProgram}); }

  // Runs the test host around the program; returns the host's first output line.
  std::string StartHosted(const std::vector<std::string>& hostOptions, pid_t& program) {
    std::vector<std::string> args = {kHost};
    args.insert(args.end(), hostOptions.begin(), hostOptions.end());
    args.push_back("--");
    args.push_back(kProgram);
    int out = -1;
    pid_t host = Spawn(args, &out);
    std::string line;
    char c;
    while (::read(out, &c, 1) == 1 && c != '\n') line += c;
    ::close(out);
    int status = 0;
    ::waitpid(host, &status, 0);
    children.erase(std::find(children.begin(), children.end(), host));
    program = static_cast<pid_t>(std::atoi(line.substr(line.find(' ') + 1).c_str()));
    children.push_back(program);
    return line.substr(0, line.find(' '));
  }

  std::string Root() const { return appData.Path() + "Fennimo for Parlino 2005/2.0/"; }

  bool WorkspaceHeld(const std::string& workspace) const {
    std::string file = Root() + workspace + "StorageMutex.lock";
    return platform::FileExists(file) && !platform::TWorkspaceLock::TryAcquire(file);
  }

  // Exit status after a termination request, or -1 when the program did not end in time.
  int Terminate(pid_t pid, std::chrono::milliseconds limit = 60s) {
    ::kill(pid, SIGTERM);
    int status = 0;
    bool ended = WaitFor([&] { return ::waitpid(pid, &status, WNOHANG) == pid; }, limit);
    if (!ended) return -1;
    children.erase(std::find(children.begin(), children.end(), pid));
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

  bool Exited(pid_t pid, int& code) {
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) != pid) return false;
    children.erase(std::find(children.begin(), children.end(), pid));
    code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return true;
  }

  // The socket on which the copy that holds the ordinary workspace takes other starts' paths.
  std::string Channel() const { return platform::ChannelSocketPath(Root(), "Storage"); }

  // The definition file of the pack the ordinary workspace holds of that kind.
  std::string StorageDefine(const std::string& kind = "Animated") const {
    std::string data;
    platform::ReadFile(Root() + "Storage/" + kind + "/_define.ini", data);
    return data;
  }

  std::string DialogLog() const {
    std::string data;
    platform::ReadFile(dialogLog, data);
    return data;
  }

  // A two-pack root with one smile in each pack.
  std::string MakeHostHome() {
    std::string home = disk.Make("host/");
    disk.Make("host/Static/");
    disk.Make("host/Animated/");
    WriteBytes(home + "Static/_define.ini", ":s");
    WriteBytes(home + "Animated/_define.ini", ":a");
    return home;
  }
};

}  // namespace

TEST_F(StartupTest, AnOrdinaryStartTakesTheWorkspaceAndLetsGoOnTermination) {
  pid_t program = StartProgram();
  ASSERT_TRUE(WaitFor([&] { return WorkspaceHeld("Storage"); }));
  // The model comes right after the lock.
  EXPECT_TRUE(WaitFor([&] { return platform::DirectoryExists(Root() + "Storage/Config"); }));
  EXPECT_TRUE(platform::DirectoryExists(Root() + "Config"));
  EXPECT_EQ(Terminate(program), 0);
  EXPECT_FALSE(WorkspaceHeld("Storage"));
  EXPECT_EQ(DialogLog(), "");
}

TEST_F(StartupTest, AStartWithAPathOpensItAndLaterStartsHandTheirsToTheRunningCopy) {
  std::string packs = MakeHostHome();
  // A path relative to the folder the program starts in.
  pid_t first = Spawn({kProgram, "host/Animated"}, nullptr, disk.Path());
  ASSERT_TRUE(WaitFor([&] { return StorageDefine() == ":a"; }));
  ASSERT_TRUE(Exists(Channel()));

  // From another folder: the running copy opens the static pack; no window of its own.
  pid_t second = Spawn({kProgram, packs + "Static/_define.ini"}, nullptr, disk.Make("other/"));
  int code = -1;
  ASSERT_TRUE(WaitFor([&] { return Exited(second, code); }));
  EXPECT_EQ(code, 0);
  EXPECT_TRUE(WaitFor([&] { return StorageDefine("Static") == ":s"; }));
  // No path: only the running window comes forward.
  pid_t third = StartProgram();
  ASSERT_TRUE(WaitFor([&] { return Exited(third, code); }));
  EXPECT_EQ(code, 0);
  EXPECT_EQ(DialogLog(), "");
  EXPECT_EQ(Terminate(first), 0);
  EXPECT_FALSE(Exists(Channel())) << "the socket goes with the copy";
}

// The workspace is held, but no copy takes the path: held by a start that has no channel, or by
// a copy that does not answer. The start is refused as it always was, and a copy that answers
// later does nothing with a path whose sender has given up.
TEST_F(StartupTest, ASecondStartThatNoCopyAnswersIsRefusedAsBefore) {
  std::string packs = MakeHostHome();
  for (bool stuck : {false, true}) {
    SCOPED_TRACE(stuck ? "a stuck copy" : "a lock without a channel");
    std::unique_ptr<platform::TWorkspaceLock> held;
    pid_t first = -1;
    if (stuck) {
      first = StartProgram();
      ASSERT_TRUE(WaitFor([&] { return Exists(Channel()); }));
      ::kill(first, SIGSTOP);
    } else {
      ASSERT_TRUE(platform::ForceDirectories(Root()));
      held = platform::TWorkspaceLock::TryAcquire(Root() + "StorageStorageMutex.lock");
    }
    pid_t second = Spawn({kProgram, disk.Path() + "given-up"});
    int code = -1;
    ASSERT_TRUE(WaitFor([&] { return Exited(second, code); }));
    EXPECT_EQ(code, 1) << "a refused start ends with a failure status";
    EXPECT_NE(DialogLog().find("TForm8"), std::string::npos) << DialogLog();
    std::remove(dialogLog.c_str());
    if (!stuck) continue;

    ::kill(first, SIGCONT);
    pid_t third = Spawn({kProgram, packs + "Animated"});
    ASSERT_TRUE(WaitFor([&] { return Exited(third, code); }));
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(WaitFor([&] { return StorageDefine() == ":a"; }));
    EXPECT_EQ(DialogLog(), "") << "the path given up on was not opened";
    EXPECT_EQ(Terminate(first), 0);
  }
}

TEST_F(StartupTest, ACommandLineItCannotTakeIsRefusedWithTheUsage) {
  for (const auto& args : {std::vector<std::string>{kProgram, "a", "b"},
                           std::vector<std::string>{kProgram, "--open"}}) {
    int out = -1;
    pid_t program = Spawn(args, &out);
    ::close(out);
    int code = -1;
    ASSERT_TRUE(WaitFor([&] { return Exited(program, code); }));
    EXPECT_EQ(code, 2) << args[1];
  }
  EXPECT_FALSE(WorkspaceHeld("Storage"));
}

TEST_F(StartupTest, AGlobalStateFileThatCannotBeWrittenIsToldAndTheStartEnds) {
  std::string state = Root() + "Config/Config/Storage.ini/";
  ASSERT_TRUE(platform::ForceDirectories(state));  // a folder where the file goes
  pid_t program = StartProgram();
  int code = -1;
  ASSERT_TRUE(WaitFor([&] { return Exited(program, code); }));
  EXPECT_EQ(code, 1);
  EXPECT_NE(DialogLog().find("Unable to write to"), std::string::npos) << DialogLog();
  EXPECT_FALSE(WorkspaceHeld("Storage"));
}

TEST_F(StartupTest, AHostedStartWorksBesideAnOrdinaryOneInItsOwnWorkspace) {
  pid_t ordinary = StartProgram();
  ASSERT_TRUE(WaitFor([&] { return WorkspaceHeld("Storage"); }));
  std::string home = MakeHostHome();
  pid_t hosted = -1;
  ASSERT_EQ(StartHosted({"--home", home}, hosted), "signalled");
  ASSERT_TRUE(WaitFor([&] { return WorkspaceHeld("Tessaro"); }));
  // The second string was empty: the packs come from the home folder, in both-packs mode, and
  // always close on exit.
  ASSERT_TRUE(WaitFor([&] {
    std::string data;
    return platform::ReadFile(Root() + "Tessaro/Animated/_define.ini", data) && data == ":a";
  }));
  platform::TIniFile config(Root() + "Tessaro/Config/config.ini");
  ASSERT_TRUE(WaitFor([&] { return config.ReadString("Storage", "BothPath", "") == home; }));
  EXPECT_TRUE(config.ReadBool("Storage", "SaveOnExit", false));
  EXPECT_TRUE(config.ReadBool("Storage", "BothSmilePacks", false));
  EXPECT_EQ(config.ReadString("Storage", "BothPath", ""), home);
  TStorageManager staticStorage(StorageName("Tessaro/Static"));
  TStorageIniFile state(staticStorage);
  EXPECT_TRUE(WaitFor(
      [&] { return state.GetString(TStorageIniFile::siSourcePath) == home + "Static/"; }));
  EXPECT_TRUE(WorkspaceHeld("Storage"));

  // Closing a hosted run closes its packs; unchanged, they need no save question, and the
  // ordinary run keeps its workspace.
  EXPECT_EQ(Terminate(hosted), 0);
  EXPECT_EQ(DialogLog(), "");
  EXPECT_FALSE(state.GetFlag(TStorageIniFile::fiSmiliesLoaded));
  EXPECT_TRUE(WorkspaceHeld("Storage"));
  EXPECT_EQ(Terminate(ordinary), 0);
}

TEST_F(StartupTest, ABlockForAnotherProcessIsLeftUnchangedAndTheStartIsOrdinary) {
  std::string home = MakeHostHome();
  std::string blockCopy = disk.Path() + "block";
  pid_t program = -1;
  // A process id above the kernel's limit of 2^22: the next process started on the machine
  // (another test, say) must not find the block addressed to it.
  constexpr std::uint32_t kOffset = 1u << 30;
  ASSERT_EQ(StartHosted({"--home", home, "--pid-offset", std::to_string(kOffset), "--timeout",
                         "4000", "--block-out", blockCopy},
                        program),
            "timeout");
  ASSERT_TRUE(WaitFor([&] { return WorkspaceHeld("Storage"); }));
  EXPECT_FALSE(WorkspaceHeld("Tessaro"));
  std::string expected = platform::MakeHandoffBlock(static_cast<std::uint32_t>(program) + kOffset, home, "");
  EXPECT_EQ(ReadBytes(blockCopy), expected);
  EXPECT_EQ(Terminate(program), 0);
}

TEST_F(StartupTest, MalformedBlocksMeanAnOrdinaryStart) {
  std::string home = MakeHostHome();
  const std::vector<std::vector<std::string>> blocks = {
      {"--length1", "0xFFFFFFFF", "--length2", "0xFFFFFFFF"},  // sizes past the end
      {"--length2", "4000"},                                   // string 2 past the end
      {"--length1", "2"},                                      // string 1's zero byte outside it
  };
  for (const auto& options : blocks) {
    std::vector<std::string> args = {"--home", home, "--open", home, "--timeout", "3000"};
    args.insert(args.end(), options.begin(), options.end());
    pid_t program = -1;
    EXPECT_EQ(StartHosted(args, program), "timeout") << options[0];
    ASSERT_TRUE(WaitFor([&] { return WorkspaceHeld("Storage"); }));
    EXPECT_FALSE(WorkspaceHeld("Tessaro"));
    EXPECT_EQ(Terminate(program), 0);
  }
}

TEST_F(StartupTest, AHostedStartWithAnOpenFolderReadsThePacksFromThere) {
  std::string home = disk.Make("home/");
  std::string source = MakeHostHome();
  pid_t program = -1;
  ASSERT_EQ(StartHosted({"--home", home, "--open", source}, program), "signalled");
  ASSERT_TRUE(WaitFor([&] {
    std::string data;
    return platform::ReadFile(Root() + "Tessaro/Static/_define.ini", data) && data == ":s";
  }));
  // Read from the open folder, saved to the home folder. (The state follows the copied files.)
  TStorageManager storage(StorageName("Tessaro/Static"));
  TStorageIniFile state(storage);
  EXPECT_TRUE(WaitFor(
      [&] { return state.GetString(TStorageIniFile::siSourcePath) == home + "Static/"; }));
}

TEST_F(StartupTest, TheShippedLanguagesAreFoundFromAnyCurrentFolder) {
  // The program where the build leaves it, and as installed: bin/ beside share/fennimo/.
  std::string installed = disk.Make("usr/bin/") + "fennimo";
  std::error_code error;
  std::filesystem::create_hard_link(kProgram, installed, error);
  if (error) {
    ASSERT_TRUE(std::filesystem::copy_file(kProgram, installed));
  }
  std::filesystem::create_directory_symlink(FENNIMO_SOURCE_DIR "/Languages",
                                            disk.Make("usr/share/fennimo/") + "Languages");
  ASSERT_TRUE(platform::ForceDirectories(Root() + "Config/"));
  platform::TIniFile(Root() + "Config/config.ini").WriteString("Options", "LangDirectory",
                                                               "English.lng");
  // A folder where the lock file goes: the start ends with a message in the chosen language.
  ASSERT_TRUE(platform::ForceDirectories(Root() + "StorageStorageMutex.lock/"));
  for (const std::string& program : {kProgram, installed}) {
    SCOPED_TRACE(program);
    pid_t pid = Spawn({program}, nullptr, disk.Make("elsewhere/"));
    int code = -1;
    ASSERT_TRUE(WaitFor([&] { return Exited(pid, code); }));
    EXPECT_NE(DialogLog().find("Cannot start the program: the lock file"), std::string::npos)
        << DialogLog();
    std::remove(dialogLog.c_str());
  }
}
