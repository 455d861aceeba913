// Runs the built fennimo-pack as a user runs it, and keeps what it printed.
#pragma once

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "TestSupport.h"

namespace tool_testing {

struct Outcome {
  int code = -1;      // the exit status, -1 when a signal ended it
  std::string out;
  std::string err;
  long peakKb = 0;    // the most memory it held at once (resident, KiB)
  bool Has(const std::string& line) const { return out.find(line + "\n") != std::string::npos; }
};

// "fennimo-pack ARGS", its output kept in files of Scratch. StackBytes, when set, is the size of
// its stack, smaller than a terminal's usual 8 MiB as on a thread or in a tight container.
inline Outcome RunTool(const std::vector<std::string>& args, const testing_support::TempDir& scratch,
                       rlim_t stackBytes = 0) {
  const std::string out = scratch.Path() + "out", err = scratch.Path() + "err";
  std::vector<std::string> words = {FENNIMO_PACK};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    const int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (o < 0 || e < 0 || ::dup2(o, 1) < 0 || ::dup2(e, 2) < 0) ::_exit(126);
    const rlimit stack{stackBytes, stackBytes};
    if (stackBytes && ::setrlimit(RLIMIT_STACK, &stack) != 0) ::_exit(126);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  int status = 0;
  rusage usage{};
  Outcome r;
  if (child < 0 || ::wait4(child, &status, 0, &usage) != child) return r;
  r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.peakKb = usage.ru_maxrss;
  r.out = testing_support::ReadBytes(out);
  r.err = testing_support::ReadBytes(err);
  return r;
}

}  // namespace tool_testing
