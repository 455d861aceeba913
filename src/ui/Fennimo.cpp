// SPDX-License-Identifier: GPL-3.0-or-later
// The program users run.
#include <cstdio>
#include <cstring>

#include "Program.h"

#ifndef FENNIMO_VERSION
#error "FENNIMO_VERSION must name the version the program is built as"
#endif

int main(int argc, char** argv) {
  // Answered without a window or a display, so that a package can be checked and a user can
  // ask from a terminal; any other argument is left to Qt (-platform, -style, ...).
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("fennimo %s\n", FENNIMO_VERSION);
    return 0;
  }
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::printf(
        "%s"
        "Starts the smile pack editor. Open packs are kept in a working copy under\n"
        "$XDG_DATA_HOME (usually ~/.local/share) and shown again at the next start.\n"
        "PATH opens a pack: its _define.ini, its folder, a folder holding the packs\n"
        "Static and Animated, or another messenger's emoticon theme (its index file or\n"
        "archive). When the editor is running already, its window comes to the front\n"
        "and opens PATH there.\n"
        "See fennimo(1) and fennimo-pack(1).\n",
        ProgramUsage);
    return 0;
  }
  return RunProgram(argc, argv);
}
