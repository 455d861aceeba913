// SPDX-License-Identifier: GPL-3.0-or-later
#include "PowerCut.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <map>
#include <utility>
#include <vector>

namespace platform::power_cut {

bool tracking = false;

namespace {

// A file's identity while it lives: its device and inode numbers.
using TKey = std::pair<unsigned long long, unsigned long long>;

// A file whose data changed since its last sync: what survives the cut, and where it is now.
struct TDirty {
  std::string durable;
  timespec modified{};  // of the durable data
  std::string path;
};

// One durable name of a folder: a regular file with the data a cut leaves in it, a folder, or
// anything else (left alone).
struct TEntry {
  enum TKind { File, Folder, Other } kind = Other;
  std::string data;
  timespec modified{};
  TKey key{};
  bool live = false;  // the file still exists somewhere, so a sync of it updates Data
};
using TListing = std::map<std::string, TEntry>;

std::map<TKey, TDirty> dirty;
// The durable names of every folder changed since its last sync, by canonical path ending in
// "/". Name order puts a folder before its sub-folders.
std::map<std::string, TListing> folders;

TKey KeyOf(const struct stat& st) {
  return {static_cast<unsigned long long>(st.st_dev), static_cast<unsigned long long>(st.st_ino)};
}

bool ReadAll(const std::string& path, std::string& data) {
  data.clear();
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  char buffer[64 * 1024];
  ssize_t n;
  while ((n = ::read(fd, buffer, sizeof buffer)) > 0) data.append(buffer, static_cast<std::size_t>(n));
  ::close(fd);
  return n == 0;
}

// Puts Data back under Path with the modification time it had, as a file that never changed.
void WriteAll(const std::string& path, const std::string& data, const timespec& modified) {
  ::unlink(path.c_str());
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return;
  const timespec times[2] = {modified, modified};
  const char* p = data.data();
  std::size_t left = data.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n <= 0) break;
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  ::futimens(fd, times);
  ::close(fd);
}

void RemoveTree(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return;
  if (!S_ISDIR(st.st_mode)) {
    ::unlink(path.c_str());
    return;
  }
  if (DIR* dir = ::opendir(path.c_str())) {
    std::vector<std::string> names;
    while (dirent* e = ::readdir(dir))
      if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") names.push_back(e->d_name);
    ::closedir(dir);
    for (const auto& name : names) RemoveTree(path + "/" + name);
  }
  ::rmdir(path.c_str());
}

std::string Canonical(const std::string& folder) {
  char* real = ::realpath(folder.empty() ? "." : folder.c_str(), nullptr);
  if (!real) return {};
  std::string result = real;
  std::free(real);
  if (result.back() != '/') result += '/';
  return result;
}

// The canonical folder that holds the name Path (a trailing separator is not a name's end).
std::string FolderOf(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  auto slash = path.rfind('/');
  return Canonical(slash == std::string::npos ? "." : path.substr(0, slash + 1));
}

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* dir = ::opendir(folder.c_str())) {
    while (dirent* e = ::readdir(dir)) {
      std::string name = e->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(dir);
  }
  return names;
}

// Takes down a folder's names as they are now, which are durable until its first change.
void Capture(const std::string& folder) {
  if (folder.empty() || folders.count(folder)) return;
  TListing listing;
  for (const auto& name : Names(folder)) {
    struct stat st {};
    if (::lstat((folder + name).c_str(), &st) != 0) continue;
    TEntry& entry = listing[name];
    if (S_ISDIR(st.st_mode)) {
      entry.kind = TEntry::Folder;
    } else if (S_ISREG(st.st_mode)) {
      entry.kind = TEntry::File;
      entry.key = KeyOf(st);
      entry.live = true;
      auto it = dirty.find(entry.key);
      if (it != dirty.end()) {
        entry.data = it->second.durable;
        entry.modified = it->second.modified;
      } else {
        ReadAll(folder + name, entry.data);
        entry.modified = st.st_mtim;
      }
    }
  }
  folders.emplace(folder, std::move(listing));
}

}  // namespace

void Track(bool on) {
  tracking = on;
  dirty.clear();
  folders.clear();
}

void BeforeNameChange(const std::string& path) {
  if (tracking) Capture(FolderOf(path));
}

void BeforeDataChange(const std::string& path) {
  if (!tracking) return;
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return;
  TKey key = KeyOf(st);
  if (dirty.count(key)) return;
  TDirty& file = dirty[key];
  ReadAll(path, file.durable);
  file.modified = st.st_mtim;
  file.path = path;
}

void Created(int fd, const std::string& path) {
  if (!tracking) return;
  struct stat st {};
  if (::fstat(fd, &st) != 0) return;
  // A file new to the disk has no durable data; a truncated one keeps what BeforeDataChange took.
  auto [it, added] = dirty.try_emplace(KeyOf(st));
  if (added) it->second.modified = st.st_mtim;
  it->second.path = path;
}

void BeforeUnlink(const std::string& path) {
  if (!tracking) return;
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink > 1) return;
  // Its last name goes: the inode number may come back for another file.
  TKey key = KeyOf(st);
  dirty.erase(key);
  for (auto& [folder, listing] : folders)
    for (auto& [name, entry] : listing)
      if (entry.live && entry.key == key) entry.live = false;
}

void Renamed(const std::string& from, const std::string& to) {
  (void)from;
  if (!tracking) return;
  struct stat st {};
  if (::lstat(to.c_str(), &st) != 0) return;
  auto it = dirty.find(KeyOf(st));
  if (it != dirty.end()) it->second.path = to;
}

void FileSynced(int fd) {
  if (!tracking) return;
  struct stat st {};
  if (::fstat(fd, &st) != 0) return;
  TKey key = KeyOf(st);
  auto it = dirty.find(key);
  if (it == dirty.end()) return;
  std::string data;
  ReadAll(it->second.path, data);
  dirty.erase(it);
  for (auto& [folder, listing] : folders)
    for (auto& [name, entry] : listing)
      if (entry.live && entry.key == key) {
        entry.data = data;
        entry.modified = st.st_mtim;
      }
}

void FolderSynced(const std::string& folder) {
  if (tracking) folders.erase(Canonical(folder));
}

void AllSynced() {
  if (!tracking) return;
  dirty.clear();
  folders.clear();
}

void Cut() {
  if (!tracking) return;
  tracking = false;
  for (const auto& [folder, listing] : folders) {
    struct stat st {};
    // A folder whose own name did not survive went with its parent.
    if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) continue;
    for (const auto& name : Names(folder)) {
      struct stat now {};
      if (::lstat((folder + name).c_str(), &now) != 0) continue;
      auto it = listing.find(name);
      TEntry::TKind kind = S_ISDIR(now.st_mode)   ? TEntry::Folder
                           : S_ISREG(now.st_mode) ? TEntry::File
                                                  : TEntry::Other;
      if (kind == TEntry::Other) continue;
      if (it == listing.end() || it->second.kind != kind) RemoveTree(folder + name);
    }
    for (const auto& [name, entry] : listing) {
      if (entry.kind == TEntry::Folder)
        ::mkdir((folder + name).c_str(), 0777);
      else if (entry.kind == TEntry::File)
        WriteAll(folder + name, entry.data, entry.modified);
    }
  }
  // Files in folders whose names are durable lose what was written since their last sync.
  for (const auto& [key, file] : dirty) {
    struct stat st {};
    if (::lstat(file.path.c_str(), &st) != 0 || KeyOf(st) != key) continue;
    if (folders.count(FolderOf(file.path))) continue;
    WriteAll(file.path, file.durable, file.modified);
  }
  dirty.clear();
  folders.clear();
}

}  // namespace platform::power_cut
