// SPDX-License-Identifier: GPL-3.0-or-later
#include "SaveJournal.h"

#include <algorithm>
#include <sstream>
#include <stdexcept>

namespace {

constexpr const char* kHeader = "fennimo-save 1";

std::string AsciiLower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return s;
}

// A bare file name of a user's folder: nothing the record names may lead out of the folder.
bool ValidName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  return std::none_of(name.begin(), name.end(), [](char c) {
    return c == '/' || static_cast<unsigned char>(c) < ' ';
  });
}

bool ValidFolder(const std::string& path) {
  return path.size() >= 2 && path.front() == '/' && path.back() == '/' &&
         std::none_of(path.begin(), path.end(),
                      [](char c) { return static_cast<unsigned char>(c) < ' '; });
}

}  // namespace

TSaveJournal::TSaveJournal(std::string recordPath) : recordPath_(std::move(recordPath)) {}

TSaveJournal::~TSaveJournal() {
  if (!begun_ || committed_) return;
  // A save given up before its commit: its temporary files go, and so does its part of the
  // record.
  batch_.Discard();
  if (pending_.empty()) {
    platform::DeleteFile(recordPath_);
    platform::SyncFolder(platform::ExtractFilePath(recordPath_));
  } else {
    WriteRecord(pending_);
  }
}

bool TSaveJournal::WriteRecord(const std::vector<TFolder>& folders) const {
  std::string folder = platform::ExtractFilePath(recordPath_);
  platform::ForceDirectories(folder);
  return platform::WriteFileAtomic(recordPath_, Serialize(folders)) &&
         platform::SyncFolder(folder);
}

void TSaveJournal::Begin(const std::vector<std::string>& folders) {
  // What earlier saves left unfinished stays in the record, unless this save replaces it.
  std::string data;
  if (platform::FileExists(recordPath_) &&
      (!platform::ReadFile(recordPath_, data) || !Parse(data, pending_)))
    throw platform::EWriteError(recordPath_);
  std::erase_if(pending_, [&](const TFolder& f) {
    return std::find(folders.begin(), folders.end(), f.path) != folders.end();
  });
  std::vector<TFolder> record = pending_;
  for (const auto& path : folders) {
    folders_.push_back({path, true, {}, {}, {}});
    record.push_back(folders_.back());
  }
  if (!WriteRecord(record)) throw platform::EWriteError(recordPath_);
  begun_ = true;
}

void TSaveJournal::SetFolder(const std::string& folder) {
  auto it = std::find_if(folders_.begin(), folders_.end(),
                         [&](const TFolder& f) { return f.path == folder; });
  if (it == folders_.end()) throw std::logic_error("a save writes only into the folders it began with");
  current_ = static_cast<std::size_t>(it - folders_.begin());
}

bool TSaveJournal::Copy(const std::string& from, const std::string& name) {
  TFolder& folder = folders_.at(current_);
  if (!batch_.Add(from, folder.path + name)) return false;
  folder.copies.emplace_back(platform::ExtractFileName(batch_.Entries().back().temp), name);
  return true;
}

void TSaveJournal::Remove(const std::string& name) { folders_.at(current_).removals.push_back(name); }

void TSaveJournal::RemoveVariant(const std::string& name) {
  folders_.at(current_).variants.push_back(name);
}

bool TSaveJournal::Commit() {
  if (!batch_.Sync()) throw platform::EWriteError(batch_.FailedTarget());
  std::vector<TFolder> record = pending_;
  for (auto& folder : folders_) {
    folder.prepared = false;
    record.push_back(folder);
  }
  if (!WriteRecord(record)) throw platform::EWriteError(recordPath_);
  committed_ = true;
  batch_.Release();
  return FinishAll(recordPath_, std::move(record));
}

bool TSaveJournal::FinishFolder(const TFolder& folder) {
  const std::string& path = folder.path;
  // A folder out of reach keeps its part for later; one the save never made holds nothing of it.
  if (!platform::DirectoryExists(path)) return folder.prepared;
  if (folder.prepared) {
    // The save stopped before its commit: what it wrote here goes.
    for (const auto& name : platform::FindFiles(path + "*.*"))
      if (platform::IsTempFileName(name) && !platform::DeleteFile(path + name)) return false;
    return platform::SyncFolder(path);
  }
  // The names, in the order the save gave (the definition file last); a copy already renamed
  // is gone from its temporary name.
  for (const auto& [temp, name] : folder.copies)
    if (platform::FileExists(path + temp) && !platform::RenameReplace(path + temp, path + name))
      return false;
  if (!platform::SyncFolder(path)) return false;
  for (const auto& name : folder.removals)
    if (platform::FileExists(path + name)) platform::DeleteFile(path + name);
  // Another spelling of a name just written is the old file, unless the file system sees one
  // file under both.
  for (const auto& name : folder.variants) {
    std::string lower = AsciiLower(name);
    if (platform::FileExists(path + name) && !platform::SameFile(path + name, path + lower))
      platform::DeleteFile(path + name);
  }
  return platform::SyncFolder(path);
}

bool TSaveJournal::FinishAll(const std::string& recordPath, std::vector<TFolder> folders) {
  std::vector<TFolder> left;
  for (auto& folder : folders)
    if (!FinishFolder(folder)) left.push_back(std::move(folder));
  if (left.size() == folders.size() && !left.empty()) return false;
  std::string recordFolder = platform::ExtractFilePath(recordPath);
  if (left.empty()) {
    platform::DeleteFile(recordPath);
    platform::SyncFolder(recordFolder);
    return true;
  }
  platform::WriteFileAtomic(recordPath, Serialize(left));
  platform::SyncFolder(recordFolder);
  return false;
}

bool TSaveJournal::Finish(const std::string& recordPath) {
  if (!platform::FileExists(recordPath)) return true;
  std::string data;
  std::vector<TFolder> folders;
  if (!platform::ReadFile(recordPath, data) || !Parse(data, folders)) return false;
  FinishAll(recordPath, std::move(folders));
  return true;
}

bool TSaveJournal::Damaged(const std::string& recordPath) {
  if (!platform::FileExists(recordPath)) return false;
  std::string data;
  std::vector<TFolder> folders;
  return !platform::ReadFile(recordPath, data) || !Parse(data, folders);
}

std::string TSaveJournal::Serialize(const std::vector<TFolder>& folders) {
  std::string text = std::string(kHeader) + "\n";
  for (const auto& folder : folders) {
    text += (folder.prepared ? "prepare " : "folder ") + folder.path + "\n";
    for (const auto& [temp, name] : folder.copies) text += "copy " + temp + " " + name + "\n";
    for (const auto& name : folder.removals) text += "remove " + name + "\n";
    for (const auto& name : folder.variants) text += "variant " + name + "\n";
  }
  return platform::WithChecksum(text);
}

bool TSaveJournal::Parse(const std::string& record, std::vector<TFolder>& folders) {
  std::string body;
  if (!platform::WithoutChecksum(record, body)) return false;
  std::istringstream in(body);
  std::string line;
  if (!std::getline(in, line) || line != kHeader) return false;
  folders.clear();
  while (std::getline(in, line)) {
    auto space = line.find(' ');
    if (space == std::string::npos) return false;
    std::string verb = line.substr(0, space), rest = line.substr(space + 1);
    if (verb == "folder" || verb == "prepare") {
      if (!ValidFolder(rest)) return false;
      folders.push_back({rest, verb == "prepare", {}, {}, {}});
      continue;
    }
    // Everything else belongs to a folder of the save that runs to its end.
    if (folders.empty() || folders.back().prepared) return false;
    TFolder& folder = folders.back();
    if (verb == "copy") {
      auto mid = rest.find(' ');
      if (mid == std::string::npos) return false;
      std::string temp = rest.substr(0, mid), name = rest.substr(mid + 1);
      if (!ValidName(temp) || !platform::IsTempFileName(temp) || !ValidName(name) ||
          platform::IsTempFileName(name))
        return false;
      folder.copies.emplace_back(temp, name);
    } else if (verb == "remove" || verb == "variant") {
      if (!ValidName(rest) || platform::IsTempFileName(rest)) return false;
      (verb == "remove" ? folder.removals : folder.variants).push_back(rest);
    } else {
      return false;
    }
  }
  return true;
}
