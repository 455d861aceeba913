// SPDX-License-Identifier: GPL-3.0-or-later
// A change of a pack storage that takes several file steps (pictures moving to new positions, a
// whole pack replacing another), made so that the process may stop at any step without losing
// or mixing anything: the change is written down first, in the record Config/Journal, and the
// next start completes it before anything reads the storage.
//
// A change runs in two phases, and each can be run again from its start. Phase 1 only takes
// files away from their names: a file that moves goes to its destination's staged name (the
// destination followed by StagedSuffix), a removed file is deleted, a clear deletes every file
// of a mask. Phase 2 only gives files their names: the staged definition file first, then the
// incoming folder's files, every other staged file, and Storage.ini's new state. Running phase 1
// again once phase 2 has begun would undo it; a change that gives phase 2 anything to do has a
// new definition file, staged before the record is written and unstaged first in phase 2, so
// its staged file tells the phases apart.
//
// Everything the record relies on reaches the disk before the record does: a whole incoming
// pack with one sync of its file system, the few files of an edit one by one. Nothing after the
// record waits for the disk, since the record can always be completed again.
#pragma once

#include <string>
#include <vector>

class TStorageManager;

class TStorageJournal {
public:
  // Borrows the storage, which must outlive the journal.
  explicit TStorageJournal(TStorageManager& storage);

  // Phase 1: the file From (a bare name in the storage folder) goes to the name To. To must be
  // free once phase 1 is over: absent, or itself moved or removed by this change. A From that
  // is absent is skipped.
  void Move(const std::string& from, const std::string& to);
  // Phase 1: the file is deleted.
  void Remove(const std::string& name);
  // Phase 1: every file of the storage folder matching the mask (such as "*.gif") is deleted.
  void Clear(const std::string& mask);
  // Phase 1: the file Name goes into the history folder (see HistoryFolder) as Kept.
  void Keep(const std::string& name, const std::string& kept);
  // Phase 1: the history folder's file Kept comes back to the name Name (free once phase 1 is
  // over, as for Move).
  void Restore(const std::string& kept, const std::string& name);
  // Phase 2: the history folder's file Name gets Content (written with the record, like the
  // definition file).
  void SetHistoryFile(const std::string& name, std::string content);
  // Phase 2: the file the caller has put at StagedPath(Name) before Commit takes the name.
  // Unless Flushed, the caller left making it durable to Commit.
  void Place(const std::string& name, bool flushed = true);
  // Phase 2: the definition file's bytes become Content.
  void SetDefine(std::string content);
  // Phase 2: every file of the incoming folder moves into the storage folder, replacing a file
  // of the same name; then the incoming folder goes.
  void FillFromIncoming();
  // The caller wrote files into the storage folder that this change relies on without flushing
  // them (a pack copied straight in): Commit makes them durable with one sync of the file system
  // before the record is written.
  void Unflushed();
  // Phase 2: Storage.ini takes this state, the prints of the pack in its source folder and in
  // the storage included.
  void SetState(bool allocated, bool pathAssigned, bool loaded, const std::string& source,
                const std::string& sourcePrint = "", const std::string& storagePrint = "");

  // Where a file to be placed under Name waits: the storage folder + Name + StagedSuffix.
  std::string StagedPath(const std::string& name) const;

  // Writes the record, runs both phases and removes the record. Throws platform::EWriteError
  // when the definition file or the record can't be written: then nothing has changed and the
  // staged files are gone. Returns false when a step after that failed: the record stays, and
  // Recover completes the change later. A change that gives a file of the storage folder a
  // name (a move, place, restore or fill) or keeps one must set the definition file.
  bool Commit();

  // Commits the changes of several storages of one workspace as one: a stop at any step leaves
  // all of them made or none. Throws and returns as Commit does.
  static bool CommitAll(const std::vector<TStorageJournal*>& journals);

  // Completes a change that a stop interrupted, then removes the scratch files any stop left
  // behind (temporary and staged files, the incoming folder). False when a pending change could
  // not be completed, or a record fails its checks (see DamagedRecord): then nothing is done,
  // and the storage must not be changed until it can be.
  static bool Recover(TStorageManager& storage);
  // The path of a record of the storage (its own, or the group's it takes part in) that exists
  // but fails its checks or comes from a version that writes other records; "" when none does.
  static std::string DamagedRecord(TStorageManager& storage);
  // Removes the temporary files a stop left where the workspace writes besides its storages:
  // the workspace folder Workspace (ending in "/", where the group and save records are kept)
  // and its configuration folders.
  static void RemoveWorkspaceScratch(const std::string& workspace);
  // True when a record waits to be completed.
  static bool Pending(const TStorageManager& storage);

  // The record's file and the incoming folder of a storage, and the folder that keeps the
  // pictures and records an undo needs: beside the storage folders of the workspace, never
  // inside one ("History/" + the storage's own name + "/").
  static std::string RecordPath(const TStorageManager& storage);
  static std::string IncomingFolder(const TStorageManager& storage);
  static std::string HistoryFolder(const TStorageManager& storage);

private:
  enum TAction {
    acMove, acRemove, acClear, acPlace, acDefine, acFill, acState, acKeep, acRestore, acHistory
  };
  struct TEntry {
    TAction action;
    std::string first, second;  // names, a mask, or the source folder of a state
    bool flags[3] = {false, false, false};
    std::string sourcePrint = {}, storagePrint = {};  // of a state
  };

  // Stages the definition file and writes the record to RecordFile; throws (with nothing left
  // behind) when either can't be written.
  void WriteRecord(const std::string& recordFile);
  std::string Serialize() const;
  bool Parse(const std::string& data);
  bool RunPhase1();
  bool RunPhase2();
  // Runs what is left of the change: phase 1 unless phase 2 has begun, then phase 2.
  bool Complete();
  void RemoveStaged();
  bool HasHistoryEntries() const;
  static void RemoveScratch(TStorageManager& storage);
  // A record written as part of several changes waits under this name until the group's file,
  // in the folder above the storages, names every storage of the group.
  static std::string WaitingRecordPath(const TStorageManager& storage);
  // The storages a group file names; false when it fails its checks.
  static bool ReadGroup(const std::string& group, std::vector<std::string>& members);
  static std::string GroupPath(const TStorageManager& storage);
  // Settles a waiting record: it becomes the record when its group was committed, else goes.
  static void SettleWaitingRecord(TStorageManager& storage);

  TStorageManager& storage_;
  std::vector<TEntry> entries_;
  std::string define_;
  std::vector<std::pair<std::string, std::string>> historyFiles_;  // name, content
  bool hasDefine_ = false;
  bool unflushed_ = false;
};
