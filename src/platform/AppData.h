// SPDX-License-Identifier: GPL-3.0-or-later
// The per-user application-data folder: $XDG_DATA_HOME when it is an absolute path, else
// $HOME/.local/share. Created when missing.
#pragma once

#include <string>

namespace platform {

// The folder with a trailing separator, or "" when there is none and it can't be made.
std::string AppDataFolder();
// The folder AppDataFolder uses, with a trailing separator, without making it: "" when neither
// variable names an absolute folder.
std::string AppDataFolderPath();

}  // namespace platform
