#include <cstdio>

#include "Commands.h"

const char* const FramesUsage = "fennimo-pack frames ...\n  (not available in this build yet)";

int RunFramesCommand(const CommandArgs&) {
  std::fprintf(stderr, "fennimo-pack frames: not available in this build yet\n");
  return 2;
}
