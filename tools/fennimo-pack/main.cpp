// SPDX-License-Identifier: GPL-3.0-or-later
// fennimo-pack: command-line tools for smile-pack authors and translators.
#include <cstdio>
#include <cstring>
#include <string>

#include "Commands.h"

#ifndef FENNIMO_VERSION
#error "FENNIMO_VERSION must name the version the tool is built as"
#endif

namespace {

struct Command {
  const char* name;
  int (*run)(const CommandArgs&);
  const char* const* usage;
};

const Command kCommands[] = {
    {"frames", RunFramesCommand, &FramesUsage},
    {"check", RunCheckCommand, &CheckUsage},
    {"lang", RunLangCommand, &LangUsage},
    {"import", RunImportCommand, &ImportUsage},
    {"export", RunExportCommand, &ExportUsage},
};

void PrintHelp(std::FILE* out) {
  std::fputs("Usage: fennimo-pack COMMAND [ARGS...]\n"
             "       fennimo-pack --version | --help\n\nCommands:\n", out);
  for (const auto& c : kCommands) std::fprintf(out, "\n%s\n", *c.usage);
  std::fputs("\nExit codes: 0 success, 1 problems found, 2 bad usage or unreadable input.\n", out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    PrintHelp(stderr);
    return 2;
  }
  std::string name = argv[1];
  if (name == "--help" || name == "-h" || name == "help") {
    PrintHelp(stdout);
    return 0;
  }
  if (name == "--version") {
    std::printf("fennimo-pack %s\n", FENNIMO_VERSION);
    return 0;
  }
  for (const auto& c : kCommands) {
    if (name == c.name) {
      CommandArgs args(argv + 2, argv + argc);
      for (const auto& a : args) {
        if (a == "--help" || a == "-h") {
          std::printf("%s\n", *c.usage);
          return 0;
        }
      }
      return c.run(args);
    }
  }
  std::fprintf(stderr, "fennimo-pack: unknown command '%s'\n\n", name.c_str());
  PrintHelp(stderr);
  return 2;
}
