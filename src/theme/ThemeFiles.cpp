#include "ThemeFiles.h"

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

TWrittenFiles::~TWrittenFiles() {
  for (const auto& path : paths_) platform::DeleteFile(path);
}

bool TWrittenFiles::Write(const std::string& path, const std::string& bytes) {
  if (!platform::WriteFileAtomic(path, bytes)) return false;
  paths_.push_back(path);
  return true;
}

bool TWrittenFiles::Copy(const std::string& from, const std::string& to) {
  if (!platform::CopyFileReplace(from, to)) return false;
  paths_.push_back(to);
  return true;
}

}  // namespace theme_files
