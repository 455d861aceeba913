// SPDX-License-Identifier: GPL-3.0-or-later
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

// A folder of one operation's own, removed with everything in it when the object goes, unless
// it was moved into place. An import or export writes its result into such a folder beside the
// target and renames it to the target only when it is whole, so that a run cut short leaves no
// target behind and can be run again.
class TScratchFolder {
public:
  TScratchFolder() = default;
  TScratchFolder(const TScratchFolder&) = delete;
  TScratchFolder& operator=(const TScratchFolder&) = delete;
  ~TScratchFolder();

  // A hidden folder beside Target (a path whose folder is created when missing). False, with
  // an English message in Error, when it can't be made.
  bool CreateBeside(const std::string& target, std::string& error);
  // A folder in the system's folder for temporary files.
  bool CreateTemporary();
  const std::string& Path() const { return path_; }  // ending in "/"; "" before it is made
  // Makes what was written into it durable, then renames it to Target, which must not exist or
  // be an empty folder (FreeTarget); the object no longer owns it. False, with an English
  // message in Error, when that fails.
  bool MoveTo(const std::string& target, std::string& error);

private:
  std::string path_;
};

// Whether a finished folder can be moved to Target: nothing is there, or an empty folder.
bool FreeTarget(const std::string& target);
// Makes Scratch beside the folder Target for what is to be moved there when it is whole. False,
// with an English message in Error, when Target is not FreeTarget ("... is not an empty folder;
// VERB into an empty or new folder") or Scratch can't be made.
bool BeginFolderTarget(const std::string& target, const char* verb, TScratchFolder& scratch,
                       std::string& error);

}  // namespace theme_files
