// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConfigManager.h"

#include "Files.h"
#include "StorageManager.h"

namespace {

struct TFlagKey {
  const char* name;
  bool def;
};

constexpr TFlagKey kWorkspaceFlags[] = {
    {"BothSmilePacks", false}, {"BothPathsAssigned", false}, {"Animated", true},
    {"CloseOnExit", false},    {"ShowWarnings", true},       {"SaveOnExit", false},
};
constexpr const char* kWorkspaceStrings[] = {"BothPath"};
constexpr const char* kGlobalStrings[] = {"LangDirectory",  "WindowGeometry", "SplitterState",
                                          "PreviewBackground", "ChatGeometry", "ChatBackground",
                                          "ChatMatching", "SmileView"};

// A storage whose state file says it was never set up gets the state of an empty storage.
std::unique_ptr<platform::TIniFile> OpenConfig(TStorageManager& storage) {
  if (!storage.Path.empty()) {
    TStorageIniFile state(storage);
    if (!state.GetFlag(TStorageIniFile::fiStorageAllocated)) {
      state.SetFlag(TStorageIniFile::fiStorageAllocated, true);
      state.SetFlag(TStorageIniFile::fiPathAssigned, false);
      state.SetFlag(TStorageIniFile::fiSmiliesLoaded, false);
      state.SetString(TStorageIniFile::siSourcePath, "");
    }
  }
  return std::make_unique<platform::TIniFile>(storage.Path.empty() ? std::string()
                                                                    : storage.Path + "config.ini");
}

}  // namespace

TConfigManager::TConfigManager(TStorageManager& storage)
    : storage_(storage), ini_(OpenConfig(storage)) {}

bool TConfigManager::GetFlag(int index) const {
  return ini_->ReadBool("Storage", kWorkspaceFlags[index].name, kWorkspaceFlags[index].def);
}

void TConfigManager::SetFlag(int index, bool value) {
  ini_->WriteBool("Storage", kWorkspaceFlags[index].name, value);
}

std::string TConfigManager::GetString(int index) const {
  return ini_->ReadString("Storage", kWorkspaceStrings[index], "");
}

void TConfigManager::SetString(int index, const std::string& value) {
  ini_->WriteString("Storage", kWorkspaceStrings[index], value);
}

std::string TConfigManager::GetTempFolder() const {
  std::string folder = storage_.Path + "Temp/";
  if (!storage_.Path.empty()) platform::ForceDirectories(folder);
  return folder;
}

TGlobalConfigManager::TGlobalConfigManager(TStorageManager& storage)
    : ini_(OpenConfig(storage)) {}

std::string TGlobalConfigManager::GetString(int index) const {
  return ini_->ReadString("Options", kGlobalStrings[index], "");
}

void TGlobalConfigManager::SetString(int index, const std::string& value) {
  ini_->WriteString("Options", kGlobalStrings[index], value);
}
