// SPDX-License-Identifier: GPL-3.0-or-later
// Working storages: one private folder under the user's application-data folder per pack under
// edit (and one per configuration), with a small state file, Config/Storage.ini, that records
// whether the storage is set up, whether it holds a pack and where that pack came from.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "IniFile.h"

// Names of the storage's own scratch files, which no walk for "*.ini" or a picture kind matches
// and which never leave the storage: a file waiting to take its final name (that name followed
// by this suffix), and the folder a pack being opened is copied into first.
inline constexpr std::string_view StagedSuffix = ".fennimo-staged";
inline constexpr const char* IncomingFolderName = ".fennimo-import";
// True for a temporary or staged file name.
bool IsScratchName(std::string_view name);

// Root of every storage name, below the application-data folder.
inline constexpr const char* StorageRootName = "Fennimo for Parlino 2005/2.0";

// The name of a storage below the root: StorageName("Storage/Static") is
// "Fennimo for Parlino 2005/2.0/Storage/Static".
std::string StorageName(const std::string& relative);
// The root folder itself, below the application-data folder, ending in "/"; empty when there is
// no application-data folder.
std::string StorageRootFolder();

// One storage folder and the bulk file operations on it. Owns nothing; the pack model and the
// main window own their storages. Every bulk operation walks the regular files its pattern
// matches (letter case ignored, in name order), calls OnFile with each bare name before
// handling it, ignores failures of single files, and returns true when the pattern matched at
// least one file.
class TStorageManager {
public:
  using TFileEvent = std::function<void(TStorageManager* sender, const std::string& fileName)>;

  // Name is a relative path such as "Fennimo for Parlino 2005/2.0/Storage/Static". Path
  // becomes the application-data folder + Name + "/", created with every missing level.
  explicit TStorageManager(const std::string& name);

  // True when the folder existed or could be created at construction; never re-checked.
  bool Allocated = false;
  // The storage folder, ending in "/"; empty when there is no application-data folder.
  std::string Path;
  TFileEvent OnFile;
  // Files whose delete or copy failed in the last bulk operation, and the first of them.
  int LastFailures = 0;
  std::string LastFailedFile;

  // Deletes the storage's files matching a bare mask such as "*.ini". With an empty Path
  // nothing is touched and the result is false.
  bool DeleteFiles(const std::string& mask);
  // Deletes the files matching an absolute pattern such as "/packs/Animated/*.gif".
  bool DeleteFilesAt(const std::string& pattern);
  // Copies the files matching an absolute pattern into the storage under lower-case names,
  // replacing files of the same name. When two source names differ only in letter case, the
  // one already in lower case wins. Into is a folder inside the storage, ending in "/" (the
  // storage folder itself when empty); copies into it are made durable by the change that
  // takes them in, not here. All or nothing: when any file fails, none is copied. False at
  // once when the storage is not allocated.
  bool CopyFilesIn(const std::string& pattern, const std::string& into = "");
  // Copies every file directly in the storage folder (never its Config sub-folder, never a
  // scratch file) into Target, which ends in "/", replacing files of the same name. Each
  // target file is replaced whole and none is replaced unless every copy could be written.
  // False at once when the storage is not allocated.
  bool CopyFilesOut(const std::string& target);

private:
  void Notify(const std::string& fileName);
  // Copies Names (bare, from Folder) to Target under the names ToName gives, as one batch.
  template <typename ToName>
  void CopyBatch(const std::string& folder, const std::vector<std::string>& names,
                 const std::string& target, bool sync, ToName toName);
};

// Short-lived accessor of a storage's Config/Storage.ini (section "Storage"): three text keys
// and three flags, addressed by index. Creating it makes the Config sub-folder when missing.
// Every read and write goes to the file; a failed write throws platform::EIniWriteError.
class TStorageIniFile {
public:
  // The pack's folder, and the prints (see the pack model) of the pack in that folder and of the
  // storage when the pack was last opened or saved; empty prints where none was taken.
  enum TStringIndex { siSourcePath = 0, siSourcePrint = 1, siStoragePrint = 2 };
  enum TFlagIndex { fiStorageAllocated = 0, fiPathAssigned = 1, fiSmiliesLoaded = 2 };

  explicit TStorageIniFile(TStorageManager& storage);

  std::string GetString(int index) const;
  void SetString(int index, const std::string& value);
  bool GetFlag(int index) const;
  void SetFlag(int index, bool value);
  // Every key in one replacement of the file, so that no stop in between can mix the old state
  // with the new.
  void SetState(bool allocated, bool pathAssigned, bool loaded, const std::string& source,
                const std::string& sourcePrint = "", const std::string& storagePrint = "");

private:
  TStorageManager& storage_;
  std::unique_ptr<platform::TIniFile> ini_;
};
