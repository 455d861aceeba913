// SPDX-License-Identifier: GPL-3.0-or-later
// The program block: the application, the main window, then the eleven dialogs, in that order,
// and the message loop. What Qt leaves of the command line is at most one path, a pack to open;
// a start that finds another copy at work in its workspace hands the path to that copy and ends.
#pragma once

// How the program is started, for --help and a command line it can't take.
extern const char ProgramUsage[];

// Runs the program and returns its exit status: non-zero when the start was refused.
int RunProgram(int argc, char** argv);
