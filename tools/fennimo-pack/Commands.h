// SPDX-License-Identifier: GPL-3.0-or-later
// The sub-commands of fennimo-pack. Each takes the arguments after its own name and returns
// the process exit code: 0 success, 1 the command found problems, 2 bad usage or unreadable
// input.
#pragma once

#include <string>
#include <vector>

using CommandArgs = std::vector<std::string>;

int RunFramesCommand(const CommandArgs& args);
int RunLangCommand(const CommandArgs& args);
int RunCheckCommand(const CommandArgs& args);
int RunImportCommand(const CommandArgs& args);
int RunExportCommand(const CommandArgs& args);

// One-paragraph usage of each command, printed by --help.
extern const char* const FramesUsage;
extern const char* const LangUsage;
extern const char* const CheckUsage;
extern const char* const ImportUsage;
extern const char* const ExportUsage;
