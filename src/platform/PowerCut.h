// SPDX-License-Identifier: GPL-3.0-or-later
// A model of what a power cut leaves on disk, for the crash-point tests: the file layer tells it
// every change it makes and every sync, and at the cut it puts back what the disk would hold
// once the machine starts again. What was written to a file since its last sync is lost (the
// file holds its last synced content, or nothing if it never had any), and the names created,
// renamed or removed in a folder since that folder's last sync go back as they were. A sync of
// the whole file system makes everything durable.
//
// Only the file layer calls this, and only while a test has armed a power cut; the hooks cost a
// flag test otherwise.
#pragma once

#include <string>

namespace platform::power_cut {

// True while changes are being tracked.
extern bool tracking;

// Starts tracking from now, taking everything on disk as durable; or stops and forgets.
void Track(bool on);

// A name of the folder holding Path is about to be created, removed or renamed (also a folder
// being made or removed in it).
void BeforeNameChange(const std::string& path);
// The regular file at Path (if there is one) is about to have its data replaced.
void BeforeDataChange(const std::string& path);
// The file open as Fd, at Path, was just created (or truncated) for writing.
void Created(int fd, const std::string& path);
// The name Path is about to go (removed, or replaced by a rename).
void BeforeUnlink(const std::string& path);
// The file at From was just renamed to To.
void Renamed(const std::string& from, const std::string& to);
// Syncs: of one open file, of a folder's names, of the whole file system.
void FileSynced(int fd);
void FolderSynced(const std::string& folder);
void AllSynced();

// The power goes: the disk is put back to its durable state. The caller ends the process.
void Cut();

}  // namespace platform::power_cut
