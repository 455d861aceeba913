// SPDX-License-Identifier: GPL-3.0-or-later
#include "ThemeFiles.h"

#include <filesystem>

#include "Files.h"

namespace theme_files {

std::string FindFile(const std::string& pattern) {
  const std::string folder = platform::ExtractFilePath(pattern);
  const std::string mask = platform::ExtractFileName(pattern);
  const std::vector<std::string> names = platform::FindFiles(pattern);
  for (const auto& name : names)
    if (name == mask) return folder + name;
  return names.empty() ? std::string() : folder + names.front();
}

std::string TFolderNames::Find(const std::string& folder, const std::string& name, bool anyExtension) {
  const std::string path = folder + name;
  if (platform::FileExists(path)) return path;
  const std::string dir = platform::ExtractFilePath(path);
  auto lower = [](std::string s) {
    for (char& c : s)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return s;
  };
  auto [listing, isNew] = listings_.try_emplace(dir);
  if (isNew)
    for (const std::string& file : platform::FindFiles(dir + "*.*")) {  // in name order
      const std::string key = lower(file);
      listing->second.byName.emplace(key, file);
      for (std::size_t dot = key.find('.'); dot != std::string::npos; dot = key.find('.', dot + 1))
        listing->second.byStem.emplace(key.substr(0, dot), file);
    }
  const auto& names = anyExtension ? listing->second.byStem : listing->second.byName;
  const auto found = names.find(lower(platform::ExtractFileName(path)));
  return found == names.end() ? std::string() : dir + found->second;
}

namespace {

std::string WithoutTrailingDelimiter(std::string path) {
  while (path.size() > 1 && path.back() == platform::PathDelim) path.pop_back();
  return path;
}

}  // namespace

TScratchFolder::~TScratchFolder() {
  if (!path_.empty()) platform::RemoveFolderTree(path_);
}

bool TScratchFolder::CreateBeside(const std::string& target, std::string& error) {
  const std::string bare = WithoutTrailingDelimiter(target);
  const std::string parent = platform::ExtractFilePath(bare);
  path_ = platform::CreateUniqueFolder(parent.empty() ? "./" : parent,
                                       std::string(platform::TempFilePrefix) +
                                           platform::ExtractFileName(bare) + ".");
  if (path_.empty()) error = "can't create a folder beside " + bare;
  return !path_.empty();
}

bool TScratchFolder::CreateTemporary() {
  std::error_code error;
  const std::filesystem::path temp = std::filesystem::temp_directory_path(error);
  if (error) return false;
  path_ = platform::CreateUniqueFolder(temp.string(), "fennimo-theme.");
  return !path_.empty();
}

bool TScratchFolder::MoveTo(const std::string& target, std::string& error) {
  const std::string bare = WithoutTrailingDelimiter(target);
  const std::string parent = platform::ExtractFilePath(bare);
  if (path_.empty() || !platform::SyncFileSystemOf(path_) || !platform::RenameFolder(path_, bare)) {
    error = "can't move what was written into place at " + bare;
    return false;
  }
  path_.clear();
  platform::SyncFolder(parent.empty() ? "./" : parent);
  return true;
}

bool FreeTarget(const std::string& target) {
  std::error_code error;
  const auto status = std::filesystem::symlink_status(WithoutTrailingDelimiter(target), error);
  if (status.type() == std::filesystem::file_type::not_found) return true;
  return status.type() == std::filesystem::file_type::directory &&
         std::filesystem::is_empty(target, error) && !error;
}

bool BeginFolderTarget(const std::string& target, const char* verb, TScratchFolder& scratch,
                       std::string& error) {
  if (!FreeTarget(target)) {
    error = target + " is not an empty folder; " + verb + " into an empty or new folder";
    return false;
  }
  return scratch.CreateBeside(target, error);
}

}  // namespace theme_files
