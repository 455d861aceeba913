// The program block: the application, the main window, then the eleven dialogs, in that order,
// and the message loop. The command line is not read.
#pragma once

// Runs the program and returns its exit status: non-zero when the start was refused.
int RunProgram(int argc, char** argv);
