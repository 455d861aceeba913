#include "StorageJournal.h"

#include <cstdint>
#include <cstdio>
#include <sstream>
#include <stdexcept>

#include "Files.h"
#include "IniFile.h"
#include "StorageManager.h"

namespace {

constexpr const char* kHeader = "fennimo-journal 1";
constexpr const char* kDefineName = "_define.ini";

std::uint64_t Checksum(const std::string& text) {
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (unsigned char c : text) hash = (hash ^ c) * 1099511628211ull;
  return hash;
}

std::string Hex(std::uint64_t value) {
  char buffer[17];
  std::snprintf(buffer, sizeof buffer, "%016llx", static_cast<unsigned long long>(value));
  return buffer;
}

// A bare name in the storage folder: nothing the record names may lead outside it, or touch a
// scratch file.
bool ValidName(const std::string& name, bool mask = false) {
  if (name.empty() || name == "." || name == ".." || IsScratchName(name)) return false;
  for (char c : name) {
    auto u = static_cast<unsigned char>(c);
    if (c == '/' || u <= ' ') return false;
    if (!mask && (c == '*' || c == '?')) return false;
  }
  return true;
}

bool ValidSource(const std::string& source) {
  return source.empty() || (source.front() == '/' && source.back() == '/' &&
                            platform::IniValueFits(source));
}

}  // namespace

TStorageJournal::TStorageJournal(TStorageManager& storage) : storage_(storage) {}

void TStorageJournal::Move(const std::string& from, const std::string& to) {
  entries_.push_back({acMove, from, to});
}

void TStorageJournal::Remove(const std::string& name) { entries_.push_back({acRemove, name, ""}); }

void TStorageJournal::Clear(const std::string& mask) { entries_.push_back({acClear, mask, ""}); }

void TStorageJournal::Place(const std::string& name) { entries_.push_back({acPlace, name, ""}); }

void TStorageJournal::SetDefine(std::string content) {
  define_ = std::move(content);
  if (!hasDefine_) entries_.push_back({acDefine, kDefineName, ""});
  hasDefine_ = true;
}

void TStorageJournal::FillFromIncoming() { entries_.push_back({acFill, "", ""}); }

void TStorageJournal::SetState(bool allocated, bool pathAssigned, bool loaded,
                               const std::string& source) {
  entries_.push_back({acState, source, "", {allocated, pathAssigned, loaded}});
}

std::string TStorageJournal::StagedPath(const std::string& name) const {
  return storage_.Path + name + std::string(StagedSuffix);
}

std::string TStorageJournal::RecordPath(const TStorageManager& storage) {
  return storage.Path + "Config/Journal";
}

std::string TStorageJournal::IncomingFolder(const TStorageManager& storage) {
  return storage.Path + IncomingFolderName + "/";
}

bool TStorageJournal::Pending(const TStorageManager& storage) {
  return !storage.Path.empty() && platform::FileExists(RecordPath(storage));
}

std::string TStorageJournal::Serialize() const {
  std::string text = std::string(kHeader) + "\n";
  for (const auto& e : entries_) {
    switch (e.action) {
      case acMove: text += "move " + e.first + " " + e.second; break;
      case acRemove: text += "remove " + e.first; break;
      case acClear: text += "clear " + e.first; break;
      case acPlace: text += "place " + e.first; break;
      case acDefine: text += "define"; break;
      case acFill: text += "fill"; break;
      case acState:
        text += "state";
        for (bool flag : e.flags) text += flag ? " 1" : " 0";
        text += " " + e.first;
        break;
    }
    text += "\n";
  }
  return text + "check " + Hex(Checksum(text)) + "\n";
}

bool TStorageJournal::Parse(const std::string& data) {
  auto checkAt = data.rfind("check ");
  if (checkAt == std::string::npos || data != data.substr(0, checkAt) + "check " +
                                                  Hex(Checksum(data.substr(0, checkAt))) + "\n")
    return false;
  std::istringstream in(data.substr(0, checkAt));
  std::string line;
  if (!std::getline(in, line) || line != kHeader) return false;
  entries_.clear();
  while (std::getline(in, line)) {
    auto space = line.find(' ');
    std::string verb = line.substr(0, space);
    std::string rest = space == std::string::npos ? "" : line.substr(space + 1);
    if (verb == "move") {
      auto mid = rest.find(' ');
      if (mid == std::string::npos) return false;
      TEntry e{acMove, rest.substr(0, mid), rest.substr(mid + 1)};
      if (!ValidName(e.first) || !ValidName(e.second)) return false;
      entries_.push_back(e);
    } else if (verb == "remove" || verb == "place") {
      if (!ValidName(rest)) return false;
      entries_.push_back({verb == "remove" ? acRemove : acPlace, rest, ""});
    } else if (verb == "clear") {
      if (!ValidName(rest, true)) return false;
      entries_.push_back({acClear, rest, ""});
    } else if (line == "define") {
      entries_.push_back({acDefine, kDefineName, ""});
      hasDefine_ = true;
    } else if (line == "fill") {
      entries_.push_back({acFill, "", ""});
    } else if (verb == "state") {
      // "state A P L source": three flags, then the source folder (possibly empty).
      if (rest.size() < 6 || rest[1] != ' ' || rest[3] != ' ' || rest[5] != ' ') return false;
      TEntry e{acState, rest.substr(6), ""};
      for (int i = 0; i < 3; ++i) {
        char c = rest[static_cast<std::size_t>(2 * i)];
        if (c != '0' && c != '1') return false;
        e.flags[i] = c == '1';
      }
      if (!ValidSource(e.first)) return false;
      entries_.push_back(e);
    } else {
      return false;
    }
  }
  return true;
}

bool TStorageJournal::RunPhase1() {
  const std::string& path = storage_.Path;
  bool ok = true;
  for (const auto& e : entries_) {
    if (e.action == acMove && platform::FileExists(path + e.first))
      ok = platform::RenameReplace(path + e.first, StagedPath(e.second)) && ok;
    else if (e.action == acRemove && platform::FileExists(path + e.first))
      ok = platform::DeleteFile(path + e.first) && ok;
    else if (e.action == acClear)
      for (const auto& name : platform::FindFiles(path + e.first))
        ok = platform::DeleteFile(path + name) && ok;
  }
  return ok;
}

bool TStorageJournal::RunPhase2() {
  const std::string& path = storage_.Path;
  auto unstage = [&](const std::string& name) {
    return !platform::FileExists(StagedPath(name)) ||
           platform::RenameReplace(StagedPath(name), path + name);
  };
  // The definition file first: once it has its name, phase 2 has begun.
  if (hasDefine_ && !unstage(kDefineName)) return false;
  bool ok = true;
  for (const auto& e : entries_) {
    if (e.action != acFill) continue;
    std::string incoming = IncomingFolder(storage_);
    for (const auto& name : platform::FindFiles(incoming + "*.*"))
      ok = platform::RenameReplace(incoming + name, path + name) && ok;
    if (platform::DirectoryExists(incoming)) ok = platform::RemoveEmptyFolder(incoming) && ok;
  }
  for (const auto& e : entries_) {
    if (e.action == acMove) ok = unstage(e.second) && ok;
    if (e.action == acPlace) ok = unstage(e.first) && ok;
  }
  if (!ok) return false;
  for (const auto& e : entries_) {
    if (e.action != acState) continue;
    try {
      TStorageIniFile(storage_).SetState(e.flags[0], e.flags[1], e.flags[2], e.first);
    } catch (const platform::EWriteError&) {
      return false;
    }
  }
  return true;
}

bool TStorageJournal::Complete() {
  bool phase2Begun = hasDefine_ && !platform::FileExists(StagedPath(kDefineName));
  if (!phase2Begun && !RunPhase1()) return false;
  if (!RunPhase2()) return false;
  platform::DeleteFile(RecordPath(storage_));
  return true;
}

void TStorageJournal::RemoveStaged() {
  for (const auto& e : entries_) {
    if (e.action == acPlace || e.action == acDefine) platform::DeleteFile(StagedPath(e.first));
  }
}

bool TStorageJournal::Commit() {
  for (const auto& e : entries_)
    if (!hasDefine_ && (e.action == acMove || e.action == acPlace || e.action == acFill))
      throw std::logic_error("a change that gives files names must set the definition file");
  std::string record = RecordPath(storage_);
  if (hasDefine_ && !platform::WriteFileAtomic(StagedPath(kDefineName), define_, false)) {
    RemoveStaged();
    throw platform::EWriteError(storage_.Path + kDefineName);
  }
  platform::ForceDirectories(platform::ExtractFilePath(record));
  if (!platform::WriteFileAtomic(record, Serialize(), false)) {
    RemoveStaged();
    throw platform::EWriteError(record);
  }
  // The staged and incoming files and the record reach the disk before any of them is acted
  // on, in one go.
  platform::SyncFileSystemOf(storage_.Path);
  return Complete();
}

bool TStorageJournal::Recover(TStorageManager& storage) {
  if (storage.Path.empty()) return true;
  std::string record = RecordPath(storage);
  if (platform::FileExists(record)) {
    std::string data;
    if (!platform::ReadFile(record, data)) return false;
    TStorageJournal journal(storage);
    if (!journal.Parse(data))
      platform::RenameReplace(record, record + ".damaged");
    else if (!journal.Complete())
      return false;
  }
  RemoveScratch(storage);
  return true;
}

void TStorageJournal::RemoveScratch(TStorageManager& storage) {
  for (const std::string& folder : {storage.Path, storage.Path + "Config/"})
    for (const auto& name : platform::FindFiles(folder + "*.*"))
      if (IsScratchName(name)) platform::DeleteFile(folder + name);
  std::string incoming = IncomingFolder(storage);
  if (platform::DirectoryExists(incoming)) {
    for (const auto& name : platform::FindFiles(incoming + "*.*"))
      platform::DeleteFile(incoming + name);
    platform::RemoveEmptyFolder(incoming);
  }
}
