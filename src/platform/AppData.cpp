// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppData.h"

#include <cstdlib>

#include "Files.h"

namespace platform {

std::string AppDataFolderPath() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && xdg[0] == '/') return IncludeTrailingPathDelimiter(xdg);
  const char* home = std::getenv("HOME");
  if (!home || home[0] != '/') return {};
  return IncludeTrailingPathDelimiter(home) + ".local/share/";
}

std::string AppDataFolder() {
  std::string folder = AppDataFolderPath();
  if (folder.empty() || !ForceDirectories(folder)) return {};
  return folder;
}

}  // namespace platform
