// SPDX-License-Identifier: GPL-3.0-or-later
// Themes in archives, as they are shared: a .zip, .jisp (a zip of an XMPP icon set), .tar.gz,
// .tar.bz2 or .tar.xz holding one theme, read with libarchive; and a theme written as a .zip or
// .jisp.
//
// An archive is unpacked into a folder of its own, and the theme is read from there as from
// any folder. What an archive may hold is bounded as a theme folder's reading is: at most
// MaxEntries entries and MaxUnpackedSize bytes in all; a file is unpacked up to one byte past
// the largest picture or index a theme may have, so that reading it refuses it as too large.
// Names stay inside the archive: an absolute name, or one with a ".." part, refuses the whole
// archive. A link (symbolic or hard) is unpacked as a copy of the file it names when that file
// is in the archive; a link that leads anywhere else is not unpacked, and neither are devices,
// FIFOs and sockets. No link is ever made on disk, so nothing read later can leave the folder.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace theme_archive {

inline constexpr std::size_t MaxEntries = 10000;
inline constexpr std::uint64_t MaxUnpackedSize = std::uint64_t{256} << 20;

// The endings of the archives themes are read from; an export writes the first two (zip).
inline constexpr const char* ArchiveEndings[] = {".zip", ".jisp", ".tar.gz", ".tar.bz2", ".tar.xz"};

// Whether a file name ends in one of ArchiveEndings (letter case ignored).
bool IsArchiveName(std::string_view name);
// Whether it ends in .zip or .jisp, the archives an export writes.
bool IsZipName(std::string_view name);

// Unpacks the archive at Path into Folder (an empty folder, ending in "/"), within the bounds
// above. Files is set to the relative names of the regular files unpacked. False, with an
// English message in Error, when it is no archive of those kinds, is damaged, names a file
// outside itself or passes a bound.
bool Unpack(const std::string& path, const std::string& folder, std::vector<std::string>& files,
            std::string& error);

// A file of a zip archive: its name there, and the file it is read from, or its bytes.
struct TZipEntry {
  std::string name;
  std::string from;   // read in pieces, when set
  std::string bytes;  // else these
};

// Writes a zip archive at Path of Entries, one at a time. The archive is made under a hidden
// name beside Path and takes its name when it is whole; an existing Path is refused. False,
// with an English message in Error, when it refuses or a read or write fails.
bool WriteZip(const std::string& path, const std::vector<TZipEntry>& entries, std::string& error);

}  // namespace theme_archive
