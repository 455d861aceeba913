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
// target's folder, is flushed and then renamed over the target. False when anything fails; the
// target is then untouched.
bool CopyFileReplace(const std::string& from, const std::string& to);
// Renames a file; never replaces an existing target. False when the source is missing, the
// target exists, or the move fails.
bool MoveFileNoReplace(const std::string& from, const std::string& to);
// Removes a file (never a folder).
bool DeleteFile(const std::string& path);

// Reads a whole regular file. False when it can't be opened or read.
bool ReadFile(const std::string& path, std::string& data);
// Replaces a file atomically (temporary file in the same folder, flush, rename). False, with
// the old file intact, when anything fails.
bool WriteFileAtomic(const std::string& path, std::string_view data);

}  // namespace platform
