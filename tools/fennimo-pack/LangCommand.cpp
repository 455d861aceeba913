#include <cstdio>

#include "Commands.h"

const char* const LangUsage = "fennimo-pack lang ...\n  (not available in this build yet)";

int RunLangCommand(const CommandArgs&) {
  std::fprintf(stderr, "fennimo-pack lang: not available in this build yet\n");
  return 2;
}
