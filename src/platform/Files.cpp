// SPDX-License-Identifier: GPL-3.0-or-later
#include "Files.h"

#include "PowerCut.h"

#include <algorithm>
#include <filesystem>
#include <random>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

namespace cut = power_cut;

bool syncsSkipped = false;
bool syncsFail = false;
long long stepCount = 0;
long long stepToEndAt = 0;
int endExitCode = 0;
bool endByPowerCut = false;

// Called right before every change of the file system and every sync.
void Step() {
  ++stepCount;
  if (stepToEndAt == 0 || stepCount < stepToEndAt) return;
  if (endByPowerCut) cut::Cut();
  ::_exit(endExitCode);
}

// A sync of a file: a step, then the sync itself unless tests skip or fail it.
bool SyncFile(int fd) {
  Step();
  if (syncsFail) return false;
  cut::FileSynced(fd);
  return syncsSkipped || ::fsync(fd) == 0;
}

// Removes a name outside the counted steps (a temporary file of a write that failed).
void Unlink(const std::string& path) {
  cut::BeforeNameChange(path);
  cut::BeforeUnlink(path);
  ::unlink(path.c_str());
}

unsigned char AsciiLower(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; }

bool IsRegular(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// Opens a file for reading only when it is a regular file. O_NONBLOCK keeps a FIFO that
// appeared under the name from blocking the open; it is cleared again for the reads.
int OpenRegularForReading(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return -1;
  }
  int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  return fd;
}

// Creates a temporary file in the folder of `target`; returns its descriptor and name. Its
// permissions are those of any new file (0666 less the umask), so it needs no change when it
// takes the target's name.
// Eight random letters and digits, for a name nothing else uses.
std::string RandomLetters() {
  static std::mt19937_64 random{std::random_device{}() ^ static_cast<unsigned>(::getpid())};
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::string letters;
  for (int i = 0; i < 8; ++i) letters += kLetters[random() % (sizeof kLetters - 1)];
  return letters;
}

int CreateTempBeside(const std::string& target, std::string& tempName) {
  std::string folder = ExtractFilePath(target);
  Step();
  cut::BeforeNameChange(target);
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempName = folder + std::string(TempFilePrefix) + RandomLetters();
    int fd = ::open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) cut::Created(fd, tempName);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// Copies the rest of In into Out.
bool CopyData(int in, int out) {
  char buffer[64 * 1024];
  for (;;) {
    ssize_t n = ::read(in, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return true;
    if (!WriteAll(out, buffer, static_cast<std::size_t>(n))) return false;
  }
}

bool Rename(const std::string& from, const std::string& to) {
  Step();
  cut::BeforeNameChange(from);
  cut::BeforeNameChange(to);
  cut::BeforeUnlink(to);
  if (::rename(from.c_str(), to.c_str()) != 0) return false;
  cut::Renamed(from, to);
  return true;
}

// Writes the data produced by `fill` into a temporary file, flushes it and renames it over
// `target`. The temporary file is removed on any failure.
template <typename Fill>
bool ReplaceViaTemp(const std::string& target, bool flush, Fill fill) {
  std::string temp;
  int fd = CreateTempBeside(target, temp);
  if (fd < 0) return false;
  bool ok = fill(fd);
  ok = ok && (!flush || SyncFile(fd));
  ok = (::close(fd) == 0) && ok;
  ok = ok && Rename(temp, target);
  if (!ok) Unlink(temp);
  return ok;
}

}  // namespace

std::string IncludeTrailingPathDelimiter(std::string path) {
  if (!path.empty() && path.back() != PathDelim) path.push_back(PathDelim);
  return path;
}

std::string ExtractFilePath(const std::string& path) {
  auto pos = path.rfind(PathDelim);
  return pos == std::string::npos ? std::string() : path.substr(0, pos + 1);
}

std::string ExtractFileName(const std::string& path) {
  auto pos = path.rfind(PathDelim);
  return pos == std::string::npos ? path : path.substr(pos + 1);
}

std::string CanonicalPath(const std::string& path) {
  if (path.empty()) return {};
  std::string absolute = path;
  if (absolute.front() != PathDelim) {
    char cwd[4096];
    if (!::getcwd(cwd, sizeof cwd)) return {};
    absolute = IncludeTrailingPathDelimiter(cwd) + absolute;
  }
  bool folder = absolute.back() == PathDelim;
  // Split into components, resolving "." and ".." lexically.
  std::vector<std::string> parts;
  std::size_t pos = 0;
  while (pos < absolute.size()) {
    std::size_t next = absolute.find(PathDelim, pos);
    if (next == std::string::npos) next = absolute.size();
    std::string part = absolute.substr(pos, next - pos);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    pos = next + 1;
  }
  // Resolve the longest prefix that exists; keep the rest as it is.
  for (std::size_t n = parts.size() + 1; n-- > 0;) {
    std::string prefix = "/";
    for (std::size_t i = 0; i < n; ++i) prefix += parts[i] + (i + 1 < n ? "/" : "");
    char* real = ::realpath(prefix.c_str(), nullptr);
    if (!real) continue;
    std::string result = real;
    std::free(real);
    for (std::size_t i = n; i < parts.size(); ++i) {
      if (result.back() != PathDelim) result += PathDelim;
      result += parts[i];
    }
    if (folder && result.back() != PathDelim) result += PathDelim;
    return result;
  }
  return {};
}

bool IsPathInside(const std::string& path, const std::string& folder) {
  std::string p = IncludeTrailingPathDelimiter(CanonicalPath(path));
  std::string f = IncludeTrailingPathDelimiter(CanonicalPath(folder));
  return !p.empty() && !f.empty() && p.compare(0, f.size(), f) == 0;
}

bool FileExists(const std::string& path) { return !path.empty() && IsRegular(path); }

long long FileSize(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) ? static_cast<long long>(st.st_size)
                                                                : 0;
}

long long FileModified(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return 0;
  return static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa {}, sb {};
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

bool DirectoryExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool ForceDirectories(const std::string& path) {
  if (path.empty()) return false;
  std::string current;
  std::size_t pos = 0;
  while (pos <= path.size()) {
    std::size_t next = path.find(PathDelim, pos);
    if (next == std::string::npos) next = path.size();
    current = path.substr(0, next);
    if (!current.empty() && !DirectoryExists(current)) {
      Step();
      cut::BeforeNameChange(current);
      if (::mkdir(current.c_str(), 0777) != 0 && errno != EEXIST) return false;
    }
    pos = next + 1;
  }
  return DirectoryExists(path);
}

bool MatchesMask(std::string_view name, std::string_view mask) {
  if (mask == "*.*") mask = "*";
  // Iterative wildcard match with one backtrack point for the last "*".
  std::size_t n = 0, m = 0, starM = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (m < mask.size() && mask[m] == '*') {
      starM = m++;
      starN = n;
    } else if (m < mask.size() &&
               (mask[m] == '?' || AsciiLower(static_cast<unsigned char>(mask[m])) ==
                                      AsciiLower(static_cast<unsigned char>(name[n])))) {
      ++m;
      ++n;
    } else if (starM != std::string_view::npos) {
      m = starM + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

std::string FindSubfolder(const std::string& folder, const std::string& name) {
  if (DirectoryExists(IncludeTrailingPathDelimiter(folder) + name)) return name;
  std::string found = name;
  if (DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str())) {
    while (dirent* entry = ::readdir(dir)) {
      std::string candidate = entry->d_name;
      if (candidate.size() == name.size() && MatchesMask(candidate, name) &&
          DirectoryExists(IncludeTrailingPathDelimiter(folder) + candidate)) {
        found = candidate;
        break;
      }
    }
    ::closedir(dir);
  }
  return found;
}

std::vector<std::string> FindFiles(const std::string& pattern) {
  std::vector<std::string> names;
  std::string folder = ExtractFilePath(pattern);
  std::string mask = ExtractFileName(pattern);
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return names;
  while (dirent* entry = ::readdir(dir)) {
    std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    if (!MatchesMask(name, mask)) continue;
    if (entry->d_type != DT_REG && entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
      continue;
    if (!IsRegular(folder + name)) continue;
    names.push_back(std::move(name));
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

bool CopyFileReplace(const std::string& from, const std::string& to, bool flush) {
  int in = OpenRegularForReading(from);
  if (in < 0) return false;
  bool ok = ReplaceViaTemp(to, flush, [in](int out) { return CopyData(in, out); });
  ::close(in);
  return ok;
}

bool CopyFileNew(const std::string& from, const std::string& to) {
  int in = OpenRegularForReading(from);
  if (in < 0) return false;
  Step();
  cut::BeforeNameChange(to);
  cut::BeforeDataChange(to);
  int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (out >= 0) cut::Created(out, to);
  bool ok = out >= 0 && CopyData(in, out);
  if (out >= 0) ok = (::close(out) == 0) && ok;
  ::close(in);
  if (!ok && out >= 0) Unlink(to);
  return ok;
}

bool MoveFileNoReplace(const std::string& from, const std::string& to) {
  struct stat st {};
  if (::lstat(from.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  if (::lstat(to.c_str(), &st) == 0) return false;
  Step();
  cut::BeforeNameChange(from);
  cut::BeforeNameChange(to);
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
    cut::Renamed(from, to);
    return true;
  }
  if (errno == EINVAL || errno == ENOSYS) {
    // The file system can't rename without replacing: a hard link fails on an existing name.
    if (::link(from.c_str(), to.c_str()) == 0) {
      Unlink(from);
      return true;
    }
    if (errno != EXDEV && errno != EPERM) return false;
  }
  if (errno == EXDEV || errno == EPERM) {
    if (::lstat(to.c_str(), &st) == 0) return false;
    if (!CopyFileReplace(from, to)) return false;
    Unlink(from);
    return true;
  }
  return false;
}

bool DeleteFile(const std::string& path) {
  struct stat st {};
  if (path.empty() || ::lstat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  Step();
  cut::BeforeNameChange(path);
  cut::BeforeUnlink(path);
  return ::unlink(path.c_str()) == 0;
}

bool RenameReplace(const std::string& from, const std::string& to) {
  struct stat st {};
  if (::lstat(from.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  return Rename(from, to);
}

std::string CreateUniqueFolder(const std::string& parent, std::string_view prefix) {
  if (!ForceDirectories(parent)) return {};
  Step();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string path = IncludeTrailingPathDelimiter(parent) + std::string(prefix) + RandomLetters();
    cut::BeforeNameChange(path);
    if (::mkdir(path.c_str(), 0777) == 0) return path + PathDelim;
    if (errno != EEXIST) return {};
  }
  return {};
}

bool RenameFolder(const std::string& from, const std::string& to) {
  auto bare = [](std::string path) {
    while (path.size() > 1 && path.back() == PathDelim) path.pop_back();
    return path;
  };
  if (!DirectoryExists(from)) return false;
  return Rename(bare(from), bare(to));
}

bool RemoveFolderTree(const std::string& path) {
  std::error_code error;
  std::filesystem::remove_all(path, error);
  return !error && !DirectoryExists(path);
}

bool RemoveEmptyFolder(const std::string& path) {
  if (!DirectoryExists(path)) return false;
  Step();
  cut::BeforeNameChange(path);
  return ::rmdir(path.c_str()) == 0;
}

namespace {

// Opens Path ("" for the current folder) with Flags and runs Sync on the descriptor.
template <class TSync>
bool SyncThrough(const std::string& path, int flags, TSync sync) {
  Step();
  if (syncsFail) return false;
  if (syncsSkipped) return true;
  int fd = ::open(path.empty() ? "." : path.c_str(), flags | O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = sync(fd) == 0;
  ::close(fd);
  return ok;
}

}  // namespace

bool SyncFolder(const std::string& folder) {
  bool ok = SyncThrough(folder, O_DIRECTORY, [](int fd) { return ::fsync(fd); });
  if (ok) cut::FolderSynced(folder);
  return ok;
}

bool SyncFileSystemOf(const std::string& path) {
  bool ok = SyncThrough(path, O_NONBLOCK, [](int fd) { return ::syncfs(fd); });
  if (ok) cut::AllSynced();
  return ok;
}

bool IsTempFileName(std::string_view name) {
  return name.substr(0, TempFilePrefix.size()) == TempFilePrefix;
}

TCopyBatch::~TCopyBatch() { Discard(); }

void TCopyBatch::Discard() {
  for (const auto& entry : entries_)
    if (!entry.temp.empty()) Unlink(entry.temp);
  entries_.clear();
}

bool TCopyBatch::Add(const std::string& from, const std::string& to) {
  int in = OpenRegularForReading(from);
  if (in < 0) {
    failed_ = to;
    return false;
  }
  std::string temp;
  int out = CreateTempBeside(to, temp);
  bool ok = out >= 0 && CopyData(in, out);
  if (out >= 0) ok = (::close(out) == 0) && ok;
  ::close(in);
  if (!ok) {
    if (out >= 0) Unlink(temp);
    failed_ = to;
    return false;
  }
  entries_.push_back({temp, to});
  return true;
}

namespace {

std::vector<std::string> TargetFolders(const std::vector<TCopyBatch::TEntry>& entries) {
  std::vector<std::string> folders;
  for (const auto& entry : entries) {
    std::string folder = ExtractFilePath(entry.target);
    if (std::find(folders.begin(), folders.end(), folder) == folders.end())
      folders.push_back(folder);
  }
  return folders;
}

}  // namespace

bool TCopyBatch::Sync() {
  // One sync per file system, not per file.
  std::vector<dev_t> synced;
  for (const auto& folder : TargetFolders(entries_)) {
    struct stat st {};
    if (::stat(folder.empty() ? "." : folder.c_str(), &st) != 0) continue;
    if (std::find(synced.begin(), synced.end(), st.st_dev) != synced.end()) continue;
    if (!SyncFileSystemOf(folder)) {
      failed_ = folder;
      return false;
    }
    synced.push_back(st.st_dev);
  }
  return true;
}

bool TCopyBatch::Commit(bool sync) {
  // The data is durable before any name changes.
  std::vector<std::string> folders = TargetFolders(entries_);
  if (sync && !Sync()) return false;
  for (auto& entry : entries_) {
    if (entry.temp.empty()) continue;
    if (!Rename(entry.temp, entry.target)) {
      failed_ = entry.target;
      return false;
    }
    entry.temp.clear();
  }
  if (sync)
    for (const auto& folder : folders) SyncFolder(folder);
  return true;
}

namespace {

std::string CheckLine(std::string_view text) {
  unsigned long long hash = 14695981039346656037ull;  // FNV-1a
  for (unsigned char c : text) hash = (hash ^ c) * 1099511628211ull;
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "check %016llx\n", hash);
  return buffer;
}

}  // namespace

std::string WithChecksum(std::string text) { return text + CheckLine(text); }

bool WithoutChecksum(const std::string& record, std::string& body) {
  auto at = record.rfind("check ");
  if (at == std::string::npos ||
      record.compare(at, std::string::npos, CheckLine(record.substr(0, at))) != 0)
    return false;
  body = record.substr(0, at);
  return true;
}

long long FileStepCount() { return stepCount; }

void SkipSyncs(bool skip) { syncsSkipped = skip; }

void FailSyncs(bool fail) { syncsFail = fail; }

void EndProcessNow(int exitCode) {
  if (endByPowerCut) cut::Cut();
  ::_exit(exitCode);
}

void EndProcessAtFileStep(long long steps, int exitCode, TEnd end) {
  stepToEndAt = steps == 0 ? 0 : stepCount + steps;
  endExitCode = exitCode;
  endByPowerCut = steps != 0 && end == TEnd::PowerCut;
  cut::Track(endByPowerCut);
}

bool ReadFile(const std::string& path, std::string& data) {
  int fd = OpenRegularForReading(path);
  if (fd < 0) return false;
  data.clear();
  char buffer[64 * 1024];
  bool ok = true;
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    if (n == 0) break;
    data.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return ok;
}

bool WriteFileAtomic(const std::string& path, std::string_view data, bool flush) {
  if (path.empty() || DirectoryExists(path)) return false;
  return ReplaceViaTemp(path, flush,
                        [data](int out) { return WriteAll(out, data.data(), data.size()); });
}

}  // namespace platform
