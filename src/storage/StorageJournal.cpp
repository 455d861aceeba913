// SPDX-License-Identifier: GPL-3.0-or-later
#include "StorageJournal.h"

#include <cstdint>
#include <algorithm>
#include <cstdio>
#include <sstream>
#include <stdexcept>

#include "Files.h"
#include "IniFile.h"
#include "StorageManager.h"

namespace {

constexpr const char* kHeader = "fennimo-journal 1";
constexpr const char* kDefineName = "_define.ini";

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

// A print as the record holds it: "-" for none, else lower-case hex digits.
std::string PrintField(const std::string& print) { return print.empty() ? "-" : print; }

bool ParsePrint(const std::string& field, std::string& print) {
  if (field == "-") {
    print.clear();
    return true;
  }
  if (field.empty() || field.size() > 64) return false;
  for (char c : field)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  print = field;
  return true;
}

}  // namespace

TStorageJournal::TStorageJournal(TStorageManager& storage) : storage_(storage) {}

void TStorageJournal::Move(const std::string& from, const std::string& to) {
  entries_.push_back({acMove, from, to});
}

void TStorageJournal::Remove(const std::string& name) { entries_.push_back({acRemove, name, ""}); }

void TStorageJournal::Clear(const std::string& mask) { entries_.push_back({acClear, mask, ""}); }

void TStorageJournal::Unflushed() { unflushed_ = true; }

void TStorageJournal::Place(const std::string& name, bool flushed) {
  entries_.push_back({acPlace, name, ""});
  unflushed_ = unflushed_ || !flushed;
}

void TStorageJournal::SetDefine(std::string content) {
  define_ = std::move(content);
  if (!hasDefine_) entries_.push_back({acDefine, kDefineName, ""});
  hasDefine_ = true;
}

void TStorageJournal::Keep(const std::string& name, const std::string& kept) {
  entries_.push_back({acKeep, name, kept});
}

void TStorageJournal::Restore(const std::string& kept, const std::string& name) {
  entries_.push_back({acRestore, kept, name});
}

void TStorageJournal::SetHistoryFile(const std::string& name, std::string content) {
  entries_.push_back({acHistory, name, ""});
  historyFiles_.emplace_back(name, std::move(content));
}

void TStorageJournal::FillFromIncoming() { entries_.push_back({acFill, "", ""}); }

void TStorageJournal::SetState(bool allocated, bool pathAssigned, bool loaded,
                               const std::string& source, const std::string& sourcePrint,
                               const std::string& storagePrint) {
  entries_.push_back(
      {acState, source, "", {allocated, pathAssigned, loaded}, sourcePrint, storagePrint});
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

std::string TStorageJournal::HistoryFolder(const TStorageManager& storage) {
  std::string folder = storage.Path.substr(0, storage.Path.size() - 1);
  return platform::ExtractFilePath(folder) + "History/" + platform::ExtractFileName(folder) + "/";
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
      case acKeep: text += "keep " + e.first + " " + e.second; break;
      case acRestore: text += "restore " + e.first + " " + e.second; break;
      case acHistory: text += "history " + e.first; break;
      case acState:
        text += "state";
        for (bool flag : e.flags) text += flag ? " 1" : " 0";
        text += " " + e.first;
        // A line of its own, so that the state line reads as it always has.
        if (!e.sourcePrint.empty() || !e.storagePrint.empty())
          text += "\nprints " + PrintField(e.sourcePrint) + " " + PrintField(e.storagePrint);
        break;
    }
    text += "\n";
  }
  return platform::WithChecksum(text);
}

bool TStorageJournal::Parse(const std::string& data) {
  std::string body;
  if (!platform::WithoutChecksum(data, body)) return false;
  std::istringstream in(body);
  std::string line;
  if (!std::getline(in, line) || line != kHeader) return false;
  entries_.clear();
  while (std::getline(in, line)) {
    auto space = line.find(' ');
    std::string verb = line.substr(0, space);
    std::string rest = space == std::string::npos ? "" : line.substr(space + 1);
    if (verb == "move" || verb == "keep" || verb == "restore") {
      auto mid = rest.find(' ');
      if (mid == std::string::npos) return false;
      TAction action = verb == "move" ? acMove : verb == "keep" ? acKeep : acRestore;
      TEntry e{action, rest.substr(0, mid), rest.substr(mid + 1)};
      if (!ValidName(e.first) || !ValidName(e.second)) return false;
      entries_.push_back(e);
    } else if (verb == "history") {
      if (!ValidName(rest)) return false;
      entries_.push_back({acHistory, rest, ""});
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
    } else if (verb == "prints") {
      // "prints S T": the prints of the state line just before it.
      auto mid = rest.find(' ');
      if (entries_.empty() || entries_.back().action != acState || mid == std::string::npos)
        return false;
      TEntry& state = entries_.back();
      if (!state.sourcePrint.empty() || !state.storagePrint.empty() ||
          !ParsePrint(rest.substr(0, mid), state.sourcePrint) ||
          !ParsePrint(rest.substr(mid + 1), state.storagePrint))
        return false;
    } else {
      return false;
    }
  }
  return true;
}

bool TStorageJournal::RunPhase1() {
  const std::string& path = storage_.Path;
  const std::string history = HistoryFolder(storage_);
  if (HasHistoryEntries() && !platform::ForceDirectories(history)) return false;
  bool ok = true;
  for (const auto& e : entries_) {
    if (e.action == acMove && platform::FileExists(path + e.first))
      ok = platform::RenameReplace(path + e.first, StagedPath(e.second)) && ok;
    else if (e.action == acRemove && platform::FileExists(path + e.first))
      ok = platform::DeleteFile(path + e.first) && ok;
    else if (e.action == acClear)
      for (const auto& name : platform::FindFiles(path + e.first))
        ok = platform::DeleteFile(path + name) && ok;
    else if (e.action == acKeep && platform::FileExists(path + e.first))
      ok = platform::RenameReplace(path + e.first, history + e.second) && ok;
    else if (e.action == acRestore && platform::FileExists(history + e.first))
      ok = platform::RenameReplace(history + e.first, StagedPath(e.second)) && ok;
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
  const std::string history = HistoryFolder(storage_);
  for (const auto& e : entries_) {
    if (e.action == acMove || e.action == acRestore) ok = unstage(e.second) && ok;
    if (e.action == acPlace) ok = unstage(e.first) && ok;
    if (e.action == acHistory) {
      std::string staged = history + e.first + std::string(StagedSuffix);
      if (platform::FileExists(staged))
        ok = platform::RenameReplace(staged, history + e.first) && ok;
    }
  }
  if (!ok) return false;
  for (const auto& e : entries_) {
    if (e.action != acState) continue;
    try {
      TStorageIniFile(storage_).SetState(e.flags[0], e.flags[1], e.flags[2], e.first,
                                         e.sourcePrint, e.storagePrint);
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
  // Every name the change gave or took is durable before the record that would redo it goes.
  bool state = std::any_of(entries_.begin(), entries_.end(),
                           [](const TEntry& e) { return e.action == acState; });
  if (!platform::SyncFolder(storage_.Path) ||
      (HasHistoryEntries() && !platform::SyncFolder(HistoryFolder(storage_))) ||
      (state && !platform::SyncFolder(storage_.Path + "Config/")))
    return false;
  platform::DeleteFile(RecordPath(storage_));
  return true;
}

void TStorageJournal::RemoveStaged() {
  for (const auto& e : entries_) {
    if (e.action == acPlace || e.action == acDefine) platform::DeleteFile(StagedPath(e.first));
    if (e.action == acHistory)
      platform::DeleteFile(HistoryFolder(storage_) + e.first + std::string(StagedSuffix));
  }
}

bool TStorageJournal::HasHistoryEntries() const {
  for (const auto& e : entries_)
    if (e.action == acKeep || e.action == acRestore || e.action == acHistory) return true;
  return false;
}

void TStorageJournal::WriteRecord(const std::string& recordFile) {
  for (const auto& e : entries_)
    if (!hasDefine_ && (e.action == acMove || e.action == acPlace || e.action == acFill ||
                        e.action == acKeep || e.action == acRestore))
      throw std::logic_error("a change that gives files names must set the definition file");
  // What the record relies on reaches the disk before the record: a change that brings in a
  // whole pack with one sync of the file system, a small one file by file.
  bool batch = unflushed_;
  for (const auto& e : entries_) batch = batch || e.action == acFill;
  if (hasDefine_ && !platform::WriteFileAtomic(StagedPath(kDefineName), define_, !batch)) {
    RemoveStaged();
    throw platform::EWriteError(storage_.Path + kDefineName);
  }
  if (!historyFiles_.empty()) {
    std::string history = HistoryFolder(storage_);
    platform::ForceDirectories(history);
    for (const auto& [name, content] : historyFiles_) {
      if (!platform::WriteFileAtomic(history + name + std::string(StagedSuffix), content)) {
        RemoveStaged();
        throw platform::EWriteError(history + name);
      }
    }
    if (!platform::SyncFolder(history)) {
      RemoveStaged();
      throw platform::EWriteError(history);
    }
  }
  // A failed sync stops the change here: nothing has been renamed or removed yet.
  if (!(batch ? platform::SyncFileSystemOf(storage_.Path) : platform::SyncFolder(storage_.Path))) {
    RemoveStaged();
    throw platform::EWriteError(storage_.Path);
  }
  std::string folder = platform::ExtractFilePath(recordFile);
  platform::ForceDirectories(folder);
  if (!platform::WriteFileAtomic(recordFile, Serialize()) || !platform::SyncFolder(folder)) {
    platform::DeleteFile(recordFile);
    RemoveStaged();
    throw platform::EWriteError(recordFile);
  }
}

bool TStorageJournal::Commit() {
  WriteRecord(RecordPath(storage_));
  return Complete();
}

bool TStorageJournal::CommitAll(const std::vector<TStorageJournal*>& journals) {
  if (journals.size() == 1) return journals.front()->Commit();
  // A group file left by an earlier group would commit records that are still being written.
  std::string group = GroupPath(journals.front()->storage_);
  if (platform::FileExists(group) && !platform::DeleteFile(group))
    throw platform::EWriteError(group);
  std::vector<TStorageJournal*> written;
  auto withdraw = [&] {
    for (auto* journal : written) {
      platform::DeleteFile(WaitingRecordPath(journal->storage_));
      journal->RemoveStaged();
    }
  };
  try {
    for (auto* journal : journals) {
      journal->WriteRecord(WaitingRecordPath(journal->storage_));
      written.push_back(journal);
    }
  } catch (...) {
    withdraw();
    throw;
  }
  // The group's file is the one step that commits every change at once.
  std::string text = std::string(kHeader) + "\n";
  for (auto* journal : journals)
    text += platform::ExtractFileName(journal->storage_.Path.substr(
                0, journal->storage_.Path.size() - 1)) + "\n";
  text = platform::WithChecksum(text);
  if (!platform::WriteFileAtomic(group, text) ||
      !platform::SyncFolder(platform::ExtractFilePath(group))) {
    platform::DeleteFile(group);
    withdraw();
    throw platform::EWriteError(group);
  }
  // The group's file goes only once every record has its own name for good.
  bool renamed = true;
  for (auto* journal : journals)
    renamed = platform::RenameReplace(WaitingRecordPath(journal->storage_),
                                      RecordPath(journal->storage_)) &&
              platform::SyncFolder(platform::ExtractFilePath(RecordPath(journal->storage_))) &&
              renamed;
  if (!renamed) return false;
  platform::DeleteFile(group);
  bool ok = true;
  for (auto* journal : journals) ok = journal->Complete() && ok;
  return ok;
}

bool TStorageJournal::ReadGroup(const std::string& group, std::vector<std::string>& members) {
  members.clear();
  std::string data, body, line;
  if (!platform::ReadFile(group, data) || !platform::WithoutChecksum(data, body)) return false;
  std::istringstream in(body);
  if (!std::getline(in, line) || line != kHeader) return false;
  while (std::getline(in, line)) {
    if (!ValidName(line)) return false;
    members.push_back(line);
  }
  return true;
}

std::string TStorageJournal::WaitingRecordPath(const TStorageManager& storage) {
  return RecordPath(storage) + ".waiting";
}

std::string TStorageJournal::GroupPath(const TStorageManager& storage) {
  std::string folder = storage.Path.substr(0, storage.Path.size() - 1);
  return platform::ExtractFilePath(folder) + "Journal.group";
}

void TStorageJournal::SettleWaitingRecord(TStorageManager& storage) {
  std::string group = GroupPath(storage);
  std::string parent = platform::ExtractFilePath(group);
  std::string own = platform::ExtractFileName(storage.Path.substr(0, storage.Path.size() - 1));
  // The storages a whole, unchanged group file names.
  std::vector<std::string> members;
  if (platform::FileExists(group) && !ReadGroup(group, members)) members.clear();
  std::string waiting = WaitingRecordPath(storage);
  if (platform::FileExists(waiting)) {
    if (std::find(members.begin(), members.end(), own) != members.end()) {
      // The record has its name for good before the group can go.
      if (!platform::RenameReplace(waiting, RecordPath(storage)) ||
          !platform::SyncFolder(platform::ExtractFilePath(waiting)))
        return;
    } else {
      platform::DeleteFile(waiting);
    }
  }
  // Once no member waits any more, the group has done its work.
  bool waits = false;
  for (const auto& member : members)
    waits = waits || platform::FileExists(parent + member + "/Config/Journal.waiting");
  if (!waits && platform::FileExists(group)) platform::DeleteFile(group);
}

std::string TStorageJournal::DamagedRecord(TStorageManager& storage) {
  if (storage.Path.empty()) return {};
  for (const std::string& path : {RecordPath(storage), WaitingRecordPath(storage)}) {
    if (!platform::FileExists(path)) continue;
    std::string data;
    TStorageJournal journal(storage);
    if (!platform::ReadFile(path, data) || !journal.Parse(data)) return path;
  }
  std::string group = GroupPath(storage);
  std::vector<std::string> members;
  if (platform::FileExists(group) && !ReadGroup(group, members)) return group;
  return {};
}

bool TStorageJournal::Recover(TStorageManager& storage) {
  if (storage.Path.empty()) return true;
  // A record that fails its checks is never acted on, and nothing it protects is cleaned up.
  if (!DamagedRecord(storage).empty()) return false;
  SettleWaitingRecord(storage);
  std::string record = RecordPath(storage);
  if (platform::FileExists(record)) {
    std::string data;
    TStorageJournal journal(storage);
    if (!platform::ReadFile(record, data) || !journal.Parse(data) || !journal.Complete())
      return false;
  }
  RemoveScratch(storage);
  return true;
}

void TStorageJournal::RemoveWorkspaceScratch(const std::string& workspace) {
  for (const std::string& folder : {workspace, workspace + "Config/", workspace + "Config/Config/"})
    for (const auto& name : platform::FindFiles(folder + "*.*"))
      if (IsScratchName(name)) platform::DeleteFile(folder + name);
}

void TStorageJournal::RemoveScratch(TStorageManager& storage) {
  for (const std::string& folder :
       {storage.Path, storage.Path + "Config/", HistoryFolder(storage)})
    for (const auto& name : platform::FindFiles(folder + "*.*"))
      if (IsScratchName(name)) platform::DeleteFile(folder + name);
  std::string incoming = IncomingFolder(storage);
  if (platform::DirectoryExists(incoming)) {
    for (const auto& name : platform::FindFiles(incoming + "*.*"))
      platform::DeleteFile(incoming + name);
    platform::RemoveEmptyFolder(incoming);
  }
}
