// File helpers shared by the import and the export of themes.
#pragma once

#include <string>
#include <vector>

#include "DefineFile.h"

namespace theme_files {

// The path of the file matching Pattern's last component in its folder, letter case ignored
// ("*" and "?" as wildcards): the exact spelling first, else the first in name order; "".
std::string FindFile(const std::string& pattern);

// Files written for one operation: each replaced atomically, and all removed again when the
// object goes before Keep() was called, so that a failed operation leaves nothing behind.
class TWrittenFiles {
public:
  TWrittenFiles() = default;
  TWrittenFiles(const TWrittenFiles&) = delete;
  TWrittenFiles& operator=(const TWrittenFiles&) = delete;
  ~TWrittenFiles();

  bool Write(const std::string& path, const std::string& bytes);
  bool Copy(const std::string& from, const std::string& to);
  void Keep() { paths_.clear(); }

private:
  std::vector<std::string> paths_;
};

}  // namespace theme_files
