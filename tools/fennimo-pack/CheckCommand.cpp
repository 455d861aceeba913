#include <cstdio>

#include "Commands.h"

const char* const CheckUsage = "fennimo-pack check ...\n  (not available in this build yet)";

int RunCheckCommand(const CommandArgs&) {
  std::fprintf(stderr, "fennimo-pack check: not available in this build yet\n");
  return 2;
}
