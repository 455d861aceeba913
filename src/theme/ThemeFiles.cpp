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
