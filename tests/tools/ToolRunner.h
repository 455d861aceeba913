// Runs the built fennimo-pack as a user runs it, and keeps what it printed.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace tool_testing {

struct Outcome {
  int code = -1;
  std::string out;
  std::string err;
  bool Has(const std::string& line) const { return out.find(line + "\n") != std::string::npos; }
};

inline std::string ShellQuoted(const std::string& arg) {
  std::string q = "'";
  for (char c : arg) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// "fennimo-pack ARGS", its output kept in files of Scratch.
inline Outcome RunTool(const std::vector<std::string>& args, const testing_support::TempDir& scratch) {
  std::string command = ShellQuoted(FENNIMO_PACK);
  for (const auto& a : args) command += " " + ShellQuoted(a);
  command += " >" + scratch.Path() + "out 2>" + scratch.Path() + "err";
  const int status = std::system(command.c_str());
  Outcome r;
  r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.out = testing_support::ReadBytes(scratch.Path() + "out");
  r.err = testing_support::ReadBytes(scratch.Path() + "err");
  return r;
}

}  // namespace tool_testing
