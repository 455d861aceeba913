// SPDX-License-Identifier: GPL-3.0-or-later
#include "ThemeArchive.h"

#include <archive.h>
#include <archive_entry.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <memory>
#include <unordered_map>

#include "Files.h"
#include "PictureConverter.h"
#include "ThemeFiles.h"

namespace theme_archive {

namespace {

struct TReadCloser {
  void operator()(archive* a) const { archive_read_free(a); }
};
struct TWriteCloser {
  void operator()(archive* a) const { archive_write_free(a); }
};
struct TEntryFreer {
  void operator()(archive_entry* e) const { archive_entry_free(e); }
};

bool EndsWith(std::string_view name, std::string_view ending) {
  if (name.size() < ending.size()) return false;
  for (std::size_t i = 0; i < ending.size(); ++i) {
    char c = name[name.size() - ending.size() + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    if (c != ending[i]) return false;
  }
  return true;
}

std::string ArchiveError(archive* a) {
  const char* text = archive_error_string(a);
  return text ? text : "damaged";
}

// Name with its parts joined by "/", without "." and empty parts. A ".." part takes back the
// part before it when Climb allows it; false for a ".." otherwise, for one that would climb
// out of the top, and for an absolute name.
bool Normalised(std::string_view name, bool climb, std::string& out) {
  out.clear();
  if (name.starts_with('/')) return false;
  std::vector<std::string_view> parts;
  while (!name.empty()) {
    const std::size_t end = std::min(name.find('/'), name.size());
    const std::string_view part = name.substr(0, end);
    name.remove_prefix(std::min(end + 1, name.size()));
    if (part == "..") {
      if (!climb || parts.empty()) return false;
      parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
  }
  for (std::string_view part : parts) (out += out.empty() ? "" : "/") += part;
  return true;
}

class TUnpacker {
public:
  TUnpacker(std::string folder, std::vector<std::string>& files, std::string& error)
      : folder_(std::move(folder)), files_(files), error_(error) {}

  bool Run(const std::string& path);

private:
  bool Fail(std::string message) {
    error_ = std::move(message);
    return false;
  }
  bool Entry(archive* a, archive_entry* entry);
  bool WriteData(archive* a, const std::string& name);
  bool Count(std::uint64_t bytes) {
    total_ += bytes;
    return total_ <= MaxUnpackedSize ||
           Fail("the archive unpacks to more than " + std::to_string(MaxUnpackedSize >> 20) + " MiB");
  }
  bool CopyLinks();

  std::string folder_;
  std::vector<std::string>& files_;
  std::string& error_;
  std::uint64_t total_ = 0;
  std::unordered_map<std::string, std::string> links_;  // link -> the archive name it names
  std::unordered_map<std::string, std::uint64_t> sizes_;  // regular file -> bytes unpacked
};

bool TUnpacker::Run(const std::string& path) {
  std::unique_ptr<archive, TReadCloser> a(archive_read_new());
  if (!a) return Fail("out of memory");
  archive_read_support_format_zip(a.get());
  archive_read_support_format_tar(a.get());
  archive_read_support_filter_gzip(a.get());
  archive_read_support_filter_bzip2(a.get());
  archive_read_support_filter_xz(a.get());
  if (archive_read_open_filename(a.get(), path.c_str(), 64 * 1024) != ARCHIVE_OK)
    return Fail("not an archive that themes come in (" + ArchiveError(a.get()) + ")");
  std::size_t entries = 0;
  for (;;) {
    archive_entry* entry = nullptr;
    const int status = archive_read_next_header(a.get(), &entry);
    if (status == ARCHIVE_EOF) break;
    if (status != ARCHIVE_OK && status != ARCHIVE_WARN) return Fail(ArchiveError(a.get()));
    if (++entries > MaxEntries)
      return Fail("the archive holds more than " + std::to_string(MaxEntries) + " entries");
    if (!Entry(a.get(), entry)) return false;
  }
  return CopyLinks();
}

bool TUnpacker::Entry(archive* a, archive_entry* entry) {
  const char* utf8 = archive_entry_pathname_utf8(entry);
  const char* raw = utf8 ? utf8 : archive_entry_pathname(entry);
  std::string name;
  if (!raw || !Normalised(raw, false, name))
    return Fail(std::string("the archive names a file outside itself: ") + (raw ? raw : "(no name)"));
  if (name.empty()) return true;  // the archive's top folder
  const char* hardlink = archive_entry_hardlink(entry);
  const auto type = archive_entry_filetype(entry);
  if (hardlink) {
    std::string target;
    if (Normalised(hardlink, false, target)) links_[name] = target;
    return true;
  }
  if (type == AE_IFLNK) {
    // A symbolic link names a file from its own folder.
    const char* target = archive_entry_symlink(entry);
    std::string inside;
    if (target && !std::string_view(target).starts_with('/') &&
        Normalised(name + "/../" + target, true, inside) && !inside.empty())
      links_[name] = inside;
    return true;
  }
  if (type == AE_IFDIR) {
    return platform::ForceDirectories(folder_ + name) || Fail("can't unpack the folder " + name);
  }
  if (type != AE_IFREG) return true;  // devices, FIFOs and sockets stay in the archive
  return WriteData(a, name);
}

bool TUnpacker::WriteData(archive* a, const std::string& name) {
  const std::string path = folder_ + name;
  if (!platform::ForceDirectories(platform::ExtractFilePath(path)))
    return Fail("can't unpack " + name);
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) return Fail("can't unpack " + name);
  if (sizes_.erase(name)) files_.erase(std::find(files_.begin(), files_.end(), name));
  // One byte past the largest file a theme may use is enough to refuse it when it is read.
  constexpr std::uint64_t Keep = static_cast<std::uint64_t>(picture_limits::MaxFileSize) + 1;
  std::uint64_t kept = 0;
  char buffer[64 * 1024];
  bool ok = true;
  for (;;) {
    const la_ssize_t n = archive_read_data(a, buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      ok = Fail("can't unpack " + name + ": " + ArchiveError(a));
      break;
    }
    const auto take = static_cast<std::size_t>(std::min<std::uint64_t>(static_cast<std::uint64_t>(n), Keep - kept));
    if (take == 0) continue;
    if (!Count(take)) {
      ok = false;
      break;
    }
    for (std::size_t done = 0; done < take;) {
      const ssize_t w = ::write(fd, buffer + done, take - done);
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) {
        ok = Fail("can't unpack " + name);
        break;
      }
      done += static_cast<std::size_t>(w);
    }
    if (!ok) break;
    kept += take;
  }
  ok = ::close(fd) == 0 && ok;
  if (!ok) return error_.empty() ? Fail("can't unpack " + name) : false;
  sizes_[name] = kept;
  files_.push_back(name);
  return true;
}

bool TUnpacker::CopyLinks() {
  for (const auto& [link, first] : links_) {
    // A link may name another link; it is followed a few steps, as the system would.
    std::string target = first;
    for (int hop = 0; hop < 16 && links_.count(target); ++hop) target = links_.at(target);
    const auto file = sizes_.find(target);
    if (file == sizes_.end() || sizes_.count(link)) continue;  // leads elsewhere, or is in the way
    if (!Count(file->second)) return false;
    const std::string path = folder_ + link;
    if (!platform::ForceDirectories(platform::ExtractFilePath(path)) ||
        !platform::CopyFileNew(folder_ + target, path))
      return Fail("can't unpack " + link);
    files_.push_back(link);
  }
  return true;
}

}  // namespace

bool IsArchiveName(std::string_view name) {
  for (const char* ending : ArchiveEndings)
    if (EndsWith(name, ending)) return true;
  return false;
}

bool IsZipName(std::string_view name) { return EndsWith(name, ".zip") || EndsWith(name, ".jisp"); }

bool Unpack(const std::string& path, const std::string& folder, std::vector<std::string>& files,
            std::string& error) {
  files.clear();
  error.clear();
  return TUnpacker(folder, files, error).Run(path);
}

bool WriteZip(const std::string& path, const std::vector<TZipEntry>& entries, std::string& error) {
  if (platform::FileExists(path) || platform::DirectoryExists(path)) {
    error = path + " is in the way; export into a new file";
    return false;
  }
  theme_files::TScratchFolder scratch;
  if (!scratch.CreateBeside(path, error)) return false;
  const std::string temp = scratch.Path() + platform::ExtractFileName(path);
  std::unique_ptr<archive, TWriteCloser> a(archive_write_new());
  if (!a || archive_write_set_format_zip(a.get()) != ARCHIVE_OK ||
      archive_write_zip_set_compression_deflate(a.get()) != ARCHIVE_OK ||
      archive_write_open_filename(a.get(), temp.c_str()) != ARCHIVE_OK) {
    error = "can't write " + path;
    return false;
  }
  const std::time_t now = std::time(nullptr);
  for (const TZipEntry& file : entries) {
    std::unique_ptr<archive_entry, TEntryFreer> entry(archive_entry_new());
    const int fd = file.from.empty() ? -1 : ::open(file.from.c_str(), O_RDONLY | O_CLOEXEC);
    bool ok = entry && (file.from.empty() || fd >= 0);
    if (ok) {
      archive_entry_set_pathname_utf8(entry.get(), file.name.c_str());
      archive_entry_set_filetype(entry.get(), AE_IFREG);
      archive_entry_set_perm(entry.get(), 0644);
      archive_entry_set_size(entry.get(), fd >= 0 ? platform::FileSize(file.from)
                                                  : static_cast<la_int64_t>(file.bytes.size()));
      archive_entry_set_mtime(entry.get(), now, 0);
      ok = archive_write_header(a.get(), entry.get()) == ARCHIVE_OK;
    }
    if (ok && fd < 0)
      ok = archive_write_data(a.get(), file.bytes.data(), file.bytes.size()) ==
           static_cast<la_ssize_t>(file.bytes.size());
    char buffer[64 * 1024];
    for (ssize_t n; ok && fd >= 0 && (n = ::read(fd, buffer, sizeof buffer)) != 0;)
      ok = n > 0 && archive_write_data(a.get(), buffer, static_cast<std::size_t>(n)) == n;
    if (fd >= 0) ::close(fd);
    if (!ok) {
      error = "can't write " + file.name + " into " + path;
      return false;
    }
  }
  if (archive_write_close(a.get()) != ARCHIVE_OK || !platform::SyncFileSystemOf(temp) ||
      !platform::MoveFileNoReplace(temp, path)) {
    error = "can't write " + path;
    return false;
  }
  return true;
}

}  // namespace theme_archive
