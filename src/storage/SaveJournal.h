// SPDX-License-Identifier: GPL-3.0-or-later
// A save of one or more packs into users' folders, made so that a stop at any step, a power cut
// included, leaves every folder's pack whole: the old one, or the new one once the next start
// has finished the save.
//
// Every file goes first into a temporary file beside its final name, and all of them are made
// durable together. Only then is the record written (in the workspace, never in a user's
// folder): each target folder, every temporary file with its final name, and what the folder
// will lose. The temporary files then take their names in the order they were added (the
// caller adds the definition file last, so the folder's definition never names a picture that
// is not there yet), the folder is synced, what the pack no longer holds is removed, the folder
// is synced again, and the record goes. The next start, or the next save, finishes a recorded
// save from wherever it stopped and removes the temporary files it left.
#pragma once

#include <string>
#include <vector>

#include "Files.h"

class TSaveJournal {
public:
  // RecordPath: where the record is kept while the save is under way.
  explicit TSaveJournal(std::string recordPath);
  // Temporary files not yet handed to a record go with the journal.
  ~TSaveJournal();
  TSaveJournal(const TSaveJournal&) = delete;
  TSaveJournal& operator=(const TSaveJournal&) = delete;

  // Writes down the folders (absolute, ending in "/") the save will write into, before anything
  // is written there, so that the next start removes what a save stopped before its Commit left
  // in them. Throws platform::EWriteError when the record can't be written.
  void Begin(const std::vector<std::string>& folders);
  // The calls that follow are for Folder, one of those given to Begin.
  void SetFolder(const std::string& folder);
  // Writes a copy of From into a temporary file of the folder, to take the name Name. False
  // when From can't be read or the copy can't be written.
  bool Copy(const std::string& from, const std::string& name);
  // Name goes once every copy has its name.
  void Remove(const std::string& name);
  // Name, another spelling of a name a copy takes, goes unless the file system sees the two as
  // one file.
  void RemoveVariant(const std::string& name);

  // Runs the save (see above). Throws platform::EWriteError when the copies or the record can't
  // be made durable: then nothing in any folder has been renamed or removed. False when a step
  // after the record failed; the record stays and Finish completes the save later.
  bool Commit();

  // Finishes the save a record names: every folder that exists gets the rest of its save, and
  // the record then goes; a folder that can't be reached now (a disk taken away) stays in the
  // record for the next time. False when the record fails its checks: nothing is done.
  static bool Finish(const std::string& recordPath);
  // True when a record exists but fails its checks or comes from a version that writes
  // another kind of record.
  static bool Damaged(const std::string& recordPath);

private:
  struct TFolder {
    std::string path;
    bool prepared = false;  // written down by Begin only: its temporary files go
    std::vector<std::pair<std::string, std::string>> copies;  // temporary file, final name
    std::vector<std::string> removals, variants;
  };

  static std::string Serialize(const std::vector<TFolder>& folders);
  static bool Parse(const std::string& record, std::vector<TFolder>& folders);
  // Completes one folder's part; false when it can't be now.
  static bool FinishFolder(const TFolder& folder);
  // Carries out the folders' parts; the record keeps the ones that could not be completed, or
  // goes. False when any could not.
  static bool FinishAll(const std::string& recordPath, std::vector<TFolder> folders);

  // Writes the record with Folders, durably; false when it can't.
  bool WriteRecord(const std::vector<TFolder>& folders) const;

  std::string recordPath_;
  // The folders of earlier saves that could not be completed yet, and this save's.
  std::vector<TFolder> pending_, folders_;
  std::size_t current_ = 0;
  bool begun_ = false, committed_ = false;
  platform::TCopyBatch batch_;
};
