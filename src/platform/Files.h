// SPDX-License-Identifier: GPL-3.0-or-later
// Files and folders, the way the rest of Fennimo needs them: paths are native (UTF-8 on this
// platform), folder paths end in the separator, wildcard walks ignore letter case and see only
// regular files, copies never leave a half-written file under the final name, and moves never
// replace an existing file.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// A file that had to be written could not be: "Unable to write to <path>".
class EWriteError : public std::runtime_error {
public:
  explicit EWriteError(const std::string& path)
      : std::runtime_error("Unable to write to " + path), path_(path) {}
  const std::string& Path() const { return path_; }

private:
  std::string path_;
};

inline constexpr char PathDelim = '/';

// The path with a separator appended unless it already ends in one (an empty path stays empty).
std::string IncludeTrailingPathDelimiter(std::string path);
// The folder part of a path, up to and including its last separator ("" when it has none).
std::string ExtractFilePath(const std::string& path);
// The name after the last separator.
std::string ExtractFileName(const std::string& path);

// The absolute, symlink-free form of a path that need not exist: the longest existing part is
// resolved, the rest is appended with "." and ".." applied. A folder path keeps its trailing
// separator.
std::string CanonicalPath(const std::string& path);
// True when Path is Folder or lies below it (both canonical).
bool IsPathInside(const std::string& path, const std::string& folder);

// True for a regular file, or a symbolic link to one.
bool FileExists(const std::string& path);
// The size of a regular file in bytes, 0 when there is none.
long long FileSize(const std::string& path);
// The modification time of a regular file in nanoseconds since the epoch, 0 when there is none.
// A rename keeps it; a copy or a write gives a new one.
long long FileModified(const std::string& path);
// True when both paths name the same file (as two spellings of one name do on a file system
// that ignores letter case).
bool SameFile(const std::string& a, const std::string& b);
bool DirectoryExists(const std::string& path);
// Creates every missing folder of the path; true when the folder exists afterwards.
bool ForceDirectories(const std::string& path);

// The name of Folder's sub-folder that equals Name without regard to ASCII letter case (an
// exact match first), or Name itself when there is none.
std::string FindSubfolder(const std::string& folder, const std::string& name);

// Wildcard match of a bare file name: "*" and "?", letter case ignored for ASCII; the mask
// "*.*" matches every name, also names without a dot.
bool MatchesMask(std::string_view name, std::string_view mask);
// The bare names of the regular files (links to regular files included, hidden files included;
// never folders, FIFOs, sockets or devices) in the pattern's folder that match the pattern's
// last component, in byte order of their names. A missing folder lists nothing.
std::vector<std::string> FindFiles(const std::string& pattern);

// Copies a regular file, replacing the target: the data goes to a temporary file in the
// target's folder, is flushed (unless the caller makes it durable later, with a sync of a whole
// batch) and then renamed over the target. False when anything fails; the target is then
// untouched.
bool CopyFileReplace(const std::string& from, const std::string& to, bool flush = true);
// Copies a regular file straight under the target's name, without a flush: for a folder of the
// program's own whose files nothing relies on until it is made durable and taken in as a
// whole. A copy that fails leaves no file.
bool CopyFileNew(const std::string& from, const std::string& to);
// Renames a file; never replaces an existing target. False when the source is missing, the
// target exists, or the move fails.
bool MoveFileNoReplace(const std::string& from, const std::string& to);
// Removes a file (never a folder).
bool DeleteFile(const std::string& path);

// Renames a file, replacing the target. False when the source is missing or the rename fails.
bool RenameReplace(const std::string& from, const std::string& to);
// Removes a folder that is empty (never a file).
bool RemoveEmptyFolder(const std::string& path);

// Makes a new, empty folder in Parent (created when missing) whose name is Prefix followed by
// random letters; its path, ending in the separator, or "" when it can't.
std::string CreateUniqueFolder(const std::string& parent, std::string_view prefix);
// Renames a folder. The target must not exist, or be an empty folder, which it then replaces;
// false when it can't be renamed.
bool RenameFolder(const std::string& from, const std::string& to);
// Removes a folder and everything in it. A link in it is removed, never followed. True when the
// folder is gone.
bool RemoveFolderTree(const std::string& path);

// Makes the entries of a folder (names created, renamed or removed in it) durable.
bool SyncFolder(const std::string& folder);
// Makes everything written to the file system that holds Path durable, in one go.
bool SyncFileSystemOf(const std::string& path);

// Temporary files of an unfinished copy or write are named with this prefix in the target's
// folder; no wildcard walk for "*.ini" or a picture kind matches them.
inline constexpr std::string_view TempFilePrefix = ".fennimo-tmp.";
bool IsTempFileName(std::string_view name);

// Copies a set of files so that each target is replaced whole, with one sync for all of them
// instead of one per file. Add writes the data to a temporary file beside the target and
// changes nothing under the target's name; Commit makes all the data durable at once, then
// renames every temporary file over its target and makes the folders durable. Temporary files
// that were not renamed are removed when the batch goes.
class TCopyBatch {
public:
  TCopyBatch() = default;
  ~TCopyBatch();
  TCopyBatch(const TCopyBatch&) = delete;
  TCopyBatch& operator=(const TCopyBatch&) = delete;

  struct TEntry {
    std::string temp, target;
  };

  // False when the source can't be read or the temporary file can't be written.
  bool Add(const std::string& from, const std::string& to);
  // Makes the data of every temporary file durable: one sync per file system. False when a
  // sync fails.
  bool Sync();
  // False when the sync or a rename fails: the targets renamed before that are replaced, the
  // others untouched. Without Sync the caller makes the data durable later.
  bool Commit(bool sync = true);
  // The copies added so far, by temporary file and target.
  const std::vector<TEntry>& Entries() const { return entries_; }
  // Leaves the temporary files where they are when the batch goes: another record names them.
  void Release() { entries_.clear(); }
  // Removes the temporary files not yet renamed, now.
  void Discard();
  // The target whose copy or rename failed last ("" when none did).
  const std::string& FailedTarget() const { return failed_; }

private:
  std::vector<TEntry> entries_;
  std::string failed_;
};

// Records that must read back whole: Text followed by the line "check <checksum of Text>", and
// back: true, with Body set to the text before it, when Record ends in the right check line.
std::string WithChecksum(std::string text);
bool WithoutChecksum(const std::string& record, std::string& body);

// ---- Crash-point seam, for tests ----
// Every change this layer makes to the file system (creating a file, renaming, removing,
// making or removing a folder) and every sync counts as one step. A test can end the process
// right before a chosen step, to prove that whatever an operation has done by then leaves
// nothing lost.
long long FileStepCount();
// How the process ends: killed (everything it wrote stays), or by a power cut: what was
// written to a file since its last sync is lost, and so are the names created, renamed or
// removed in a folder since that folder's last sync (see PowerCut.h).
enum class TEnd { Kill, PowerCut };
// Ends the process with _exit(ExitCode) right before the Steps-th step from now; 0 disarms.
void EndProcessAtFileStep(long long steps, int exitCode, TEnd end = TEnd::Kill);
// Ends the process now, the way the armed end would: after a power cut when one is armed.
[[noreturn]] void EndProcessNow(int exitCode);
// Skips the system calls of every flush and sync (a power cut still counts them as done): for
// tests that end a process thousands of times.
void SkipSyncs(bool skip);
// Makes every flush and sync fail, as a disk that reports a write error does.
void FailSyncs(bool fail);

// Reads a whole regular file. False when it can't be opened or read.
bool ReadFile(const std::string& path, std::string& data);
// Replaces a file atomically (temporary file in the same folder, flush unless the caller syncs
// later, rename). False, with the old file intact, when anything fails.
bool WriteFileAtomic(const std::string& path, std::string_view data, bool flush = true);

}  // namespace platform
