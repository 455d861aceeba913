// SPDX-License-Identifier: GPL-3.0-or-later
#include "StorageManager.h"

#include <algorithm>
#include <set>

#include "AppData.h"
#include "Cp1251.h"
#include "Files.h"

namespace {

constexpr const char* kSection = "Storage";

struct TKey {
  const char* name;
  bool defaultFlag;
};

constexpr const char* kStringKeys[] = {"SourcePath", "SourcePrint", "StoragePrint"};
constexpr TKey kFlagKeys[] = {
    {"StorageAllocated", false}, {"PathAssigned", false}, {"SmiliesLoaded", false}};

std::string AsciiLower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return s;
}

}  // namespace

bool IsScratchName(std::string_view name) {
  return platform::IsTempFileName(name) ||
         (name.size() > StagedSuffix.size() &&
          name.substr(name.size() - StagedSuffix.size()) == StagedSuffix);
}

std::string StorageName(const std::string& relative) {
  std::string name = StorageRootName;
  name += '/';
  name += relative;
  return name;
}

std::string StorageRootFolder() {
  std::string root = platform::AppDataFolder();
  if (root.empty()) return root;
  root += StorageRootName;
  root += '/';
  return root;
}

TStorageManager::TStorageManager(const std::string& name) {
  std::string root = platform::AppDataFolder();
  if (root.empty()) return;
  Path = platform::IncludeTrailingPathDelimiter(root + name);
  Allocated = platform::ForceDirectories(Path);
}

void TStorageManager::Notify(const std::string& fileName) {
  if (OnFile) OnFile(this, fileName);
}

bool TStorageManager::DeleteFiles(const std::string& mask) {
  LastFailures = 0;
  // Without a folder of its own the mask would name files of the current directory.
  if (Path.empty()) return false;
  return DeleteFilesAt(Path + mask);
}

bool TStorageManager::DeleteFilesAt(const std::string& pattern) {
  std::string folder = platform::ExtractFilePath(pattern);
  auto names = platform::FindFiles(pattern);
  LastFailures = 0;
  for (const auto& name : names) {
    Notify(name);
    if (!platform::DeleteFile(folder + name)) ++LastFailures;
  }
  return !names.empty();
}

template <typename ToName>
void TStorageManager::CopyBatch(const std::string& folder, const std::vector<std::string>& names,
                                const std::string& target, bool sync, ToName toName) {
  platform::TCopyBatch batch;
  for (const auto& name : names) {
    std::string to = toName(name);
    if (to.empty()) continue;
    Notify(name);
    // A folder of the storage's own other than the storage folder is scratch until a change
    // takes it in whole: its files need no temporary names.
    bool copied = sync ? batch.Add(folder + name, target + to)
                       : platform::CopyFileNew(folder + name, target + to);
    if (!copied) {
      // The user's file is the one to name: the source coming in, the target going out.
      if (LastFailures++ == 0) LastFailedFile = folder == Path ? target + to : folder + name;
    }
  }
  if (LastFailures == 0 && !batch.Commit(sync)) {
    ++LastFailures;
    LastFailedFile = batch.FailedTarget();
  }
}

bool TStorageManager::CopyFilesIn(const std::string& pattern, const std::string& into) {
  LastFailures = 0;
  LastFailedFile.clear();
  if (!Allocated) return false;
  std::string folder = platform::ExtractFilePath(pattern);
  auto names = platform::FindFiles(pattern);
  std::set<std::string> present(names.begin(), names.end());
  CopyBatch(folder, names, into.empty() ? Path : into, into.empty(), [&](const std::string& name) {
    // A file already spelled in lower case takes the name; its variants in other cases don't
    // overwrite it.
    std::string lower = AsciiLower(name);
    return lower != name && present.count(lower) ? std::string() : lower;
  });
  return !names.empty();
}

bool TStorageManager::CopyFilesOut(const std::string& target) {
  LastFailures = 0;
  LastFailedFile.clear();
  if (!Allocated) return false;
  auto names = platform::FindFiles(Path + "*.*");
  std::erase_if(names, [](const std::string& name) { return IsScratchName(name); });
  CopyBatch(Path, names, target, true, [](const std::string& name) { return name; });
  return !names.empty();
}

TStorageIniFile::TStorageIniFile(TStorageManager& storage) : storage_(storage) {
  // A storage without a folder has no state file: reads give the defaults and writes fail.
  std::string fileName;
  if (!storage_.Path.empty()) {
    std::string config = storage_.Path + "Config/";
    platform::ForceDirectories(config);
    fileName = config + "Storage.ini";
  }
  ini_ = std::make_unique<platform::TIniFile>(fileName);
}

std::string TStorageIniFile::GetString(int index) const {
  return ini_->ReadString(kSection, kStringKeys[index], "");
}

void TStorageIniFile::SetString(int index, const std::string& value) {
  ini_->WriteString(kSection, kStringKeys[index], value);
}

bool TStorageIniFile::GetFlag(int index) const {
  return ini_->ReadBool(kSection, kFlagKeys[index].name, kFlagKeys[index].defaultFlag);
}

void TStorageIniFile::SetFlag(int index, bool value) {
  ini_->WriteBool(kSection, kFlagKeys[index].name, value);
}

void TStorageIniFile::SetState(bool allocated, bool pathAssigned, bool loaded,
                               const std::string& source, const std::string& sourcePrint,
                               const std::string& storagePrint) {
  auto flag = [](bool value) { return std::string(value ? "1" : "0"); };
  ini_->WriteStrings(kSection, {{kFlagKeys[fiStorageAllocated].name, flag(allocated)},
                                {kFlagKeys[fiPathAssigned].name, flag(pathAssigned)},
                                {kFlagKeys[fiSmiliesLoaded].name, flag(loaded)},
                                {kStringKeys[siSourcePath], source},
                                {kStringKeys[siSourcePrint], sourcePrint},
                                {kStringKeys[siStoragePrint], storagePrint}});
}
