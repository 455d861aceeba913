// File helpers shared by the import and the export of themes.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "DefineFile.h"

namespace theme_files {

// The path of the file matching Pattern's last component in its folder, letter case ignored
// ("*" and "?" as wildcards): the exact spelling first, else the first in name order; "".
std::string FindFile(const std::string& pattern);

// The regular files of folders, each folder listed once however many names are looked up in
// it.
class TFolderNames {
public:
  // The path of the file that Name (which may hold folders of its own) names in Folder: as
  // written, else in any letter case, else, with AnyExtension, Name followed by "." and
  // anything; of several, the first in name order. "" when there is none.
  std::string Find(const std::string& folder, const std::string& name, bool anyExtension = false);

private:
  struct TListing {
    std::unordered_map<std::string, std::string> byName;  // lower-case name -> name
    std::unordered_map<std::string, std::string> byStem;  // lower-case part before a dot -> name
  };
  std::unordered_map<std::string, TListing> listings_;  // by folder
};

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
