#include "AppData.h"

#include <cstdlib>

#include "Files.h"

namespace platform {

std::string AppDataFolder() {
  std::string folder;
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && xdg[0] == '/') {
    folder = xdg;
  } else {
    const char* home = std::getenv("HOME");
    if (!home || home[0] != '/') return {};
    folder = IncludeTrailingPathDelimiter(home) + ".local/share";
  }
  folder = IncludeTrailingPathDelimiter(folder);
  if (!ForceDirectories(folder)) return {};
  return folder;
}

}  // namespace platform
