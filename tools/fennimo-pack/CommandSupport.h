// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers shared by the sub-commands that read or write pack folders: the kind of pack a folder
// holds, the kind options, and the report of what an import or export left out.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "DefineFile.h"
#include "EmoticonTheme.h"

std::string AsciiLower(std::string s);

// "static" or "animated".
const char* KindName(TSmilePack kind);

// The kind of a single pack folder (ending in "/") holding the files Names: forced, else the
// kind of the pictures it holds, else its name ("Static" in any letter case), else animated.
// Note is set when pictures of both kinds leave the choice open.
TSmilePack DetectKind(const std::string& folder, const std::vector<std::string>& names,
                      std::optional<TSmilePack> forced, std::string& note);

// The arguments "FORMAT PATH PATH" of import and export with the kind options --static and,
// when AllowAnimated, --animated ("--" ends the options). On bad usage it prints why and the
// command's usage to stderr and returns false.
bool ParseThemeArgs(const char* command, const char* usage, const std::vector<std::string>& args,
                    bool allowAnimated, TThemeFormat& format, std::vector<std::string>& paths,
                    std::optional<TSmilePack>& kind);

// Prints "fennimo-pack COMMAND: MESSAGE" to stderr; returns 2.
int CommandFailure(const char* command, const std::string& message);

// Prints the lines of what was left out, indented, made safe for the terminal, and the closing
// line "FOLDER: N smiles; everything taken" or "...; M left out", or "FOLDER: nothing taken,
// nothing written". The exit code: 0 when everything was taken, else 1.
int ReportLeftOut(const std::vector<TLeftOut>& leftOut, const std::string& folder, std::size_t smiles);
