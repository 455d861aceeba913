// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the built fennimo-pack as a user runs it, and keeps what it printed.
#pragma once

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
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

// How a run differs from a user's.
struct Conditions {
  rlim_t stackBytes = 0;  // the size of its stack when set, smaller than a terminal's 8 MiB
  // When set, the largest file it may write: a write past it ends the program by SIGXFSZ, a
  // signal that ends it part-way at a point the test chooses.
  rlim_t fileSizeBytes = 0;
  // Memory given back is free again at once, also under AddressSanitizer (which otherwise
  // keeps it poisoned for a while), so that Outcome::peakKb tells what the program holds.
  bool memoryGivenBack = false;
};

// "fennimo-pack ARGS", its output kept in files of Scratch.
inline Outcome RunTool(const std::vector<std::string>& args, const testing_support::TempDir& scratch,
                       const Conditions& conditions = {}) {
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
    const rlimit stack{conditions.stackBytes, conditions.stackBytes};
    if (conditions.stackBytes && ::setrlimit(RLIMIT_STACK, &stack) != 0) ::_exit(126);
    const rlimit fileSize{conditions.fileSizeBytes, conditions.fileSizeBytes};
    if (conditions.fileSizeBytes && ::setrlimit(RLIMIT_FSIZE, &fileSize) != 0) ::_exit(126);
    if (conditions.memoryGivenBack) {
      const char* options = std::getenv("ASAN_OPTIONS");
      const std::string more = std::string(options ? options : "") + ":quarantine_size_mb=0";
      ::setenv("ASAN_OPTIONS", more.c_str(), 1);
    }
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
