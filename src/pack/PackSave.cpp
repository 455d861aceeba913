// SPDX-License-Identifier: GPL-3.0-or-later
// Saving a pack from its storage to a pack folder, and closing it. A save is a recorded change
// of the folders it writes (TSaveJournal): every file is copied and made durable first, then
// the files take their names, the pictures before the definition file, and only then go the
// pictures the pack no longer holds; in a folder that held no pack, nothing but the pack's own
// files is written and nothing is removed. Both packs save as one change. So a save that fails
// or is cut short, by a stop or a power cut, leaves each folder with its old pack or, once the
// next start has finished the save, the new one.
#include <algorithm>
#include <set>

#include "Cp1251.h"
#include "Files.h"
#include "PackPrint.h"
#include "PackSteps.h"
#include "PictureDecoder.h"
#include "SaveJournal.h"

namespace {

std::string AsciiLower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return s;
}

}  // namespace

int TDefineDecoder::ErrorCount(int kind) const {
  auto counter = [&](TSmilePack pack) {
    switch (kind) {
      case ekLoadError: return LoadErrors[pack];
      case ekMissingPicture: return MissingPictures[pack];
      case ekNoSymbols: return NoSymbolSmiles[pack];
      default: return 0;
    }
  };
  if (!BothPacks) return counter(ActivePack);
  int sum = 0;
  for (TSmilePack pack : AllPacks)
    if (LoadedPacks.Contains(pack)) sum += counter(pack);
  return sum;
}

bool TDefineDecoder::HasErrors() const {
  return ErrorCount(ekLoadError) != 0 || ErrorCount(ekMissingPicture) != 0 ||
         ErrorCount(ekNoSymbols) != 0;
}

std::string TDefineDecoder::SaveRecordPath() const {
  return workspace_.empty() ? std::string() : workspace_ + "Journal.save";
}

bool TDefineDecoder::ExportTo(const std::string& folder) { return ExportAll({{ActivePack, folder}}); }

bool TDefineDecoder::ExportAll(const std::vector<TExportTarget>& targets) {
  for (const auto& target : targets) {
    const std::string& folder = target.folder;
    // Only a whole folder path, never one inside the storage tree.
    if (folder.empty() || folder.front() != platform::PathDelim ||
        folder.back() != platform::PathDelim || !PackStorages[target.pack]->Allocated ||
        IsInsideStorageTree(folder) || SaveRecordPath().empty())
      return false;
    RequireStorable(folder);
  }
  ForEachPack(false, [&] {
    for (const auto& target : targets)
      if (target.pack == ActivePack) EnsureRecovered();
  });
  // A save that a stop left unfinished, into any folder, is finished first.
  std::string record = SaveRecordPath();
  if (!TSaveJournal::Finish(record)) throw EPackError(EPackError::pkRecordDamaged, record);
  std::vector<std::string> folders;
  for (const auto& target : targets) folders.push_back(target.folder);
  try {
    TSaveJournal save(record);
    save.Begin(folders);
    for (const auto& target : targets) PrepareExport(target, save);
    if (!save.Commit())
      throw EPackError(EPackError::pkSaveCopyFailed, folders.front() + DefineFileName);
  } catch (const platform::EWriteError& e) {
    throw EPackError(EPackError::pkSaveCopyFailed, e.Path());
  }
  bool whole = true;
  for (const auto& target : targets)
    whole = whole && platform::FileExists(target.folder + DefineFileName);
  AssignFolders(targets);
  return whole;
}

void TDefineDecoder::AssignFolders(const std::vector<TExportTarget>& targets) {
  // The packs take their folders, with the prints of what they hold there now, together.
  std::vector<TPackChange> changes;
  for (const auto& target : targets) {
    TStorageManager& storage = *PackStorages[target.pack];
    auto journal = NewJournal(storage);
    journal->SetState(true, true, true, target.folder, FolderPrint(target.folder, target.pack),
                      FolderPrint(storage.Path, target.pack));
    changes.push_back({target.pack, journal, [this, target] {
                         SourcePath[target.pack] = target.folder;
                         SourceAssigned.Include(target.pack);
                       }});
  }
  CommitChanges(changes);
}

void TDefineDecoder::PrepareExport(const TExportTarget& target, TSaveJournal& save) {
  TStorageManager& storage = *PackStorages[target.pack];
  const std::string& folder = target.folder;
  if (!platform::ForceDirectories(folder))
    throw EPackError(EPackError::pkSaveCopyFailed, folder + DefineFileName);
  // Temporary files of a save that was cut short before it was written down are ours to remove.
  for (const auto& name : platform::FindFiles(folder + "*.*"))
    if (platform::IsTempFileName(name)) platform::DeleteFile(folder + name);
  bool heldPack = !platform::FindFiles(folder + DefineFileName).empty();
  save.SetFolder(folder);
  std::vector<std::string> names = platform::FindFiles(storage.Path + "*.*");
  std::erase_if(names, [](const std::string& name) { return IsScratchName(name); });
  // The definition file takes its name last: until then the folder's lines keep their pictures.
  std::stable_partition(names.begin(), names.end(),
                        [](const std::string& name) { return name != DefineFileName; });
  for (const auto& name : names) {
    Progress(name, 1, 0);
    if (!save.Copy(storage.Path + name, name))
      throw EPackError(EPackError::pkSaveCopyFailed, folder + name);
  }
  if (heldPack) PlanStaleRemovals(target, names, save);
}

void TDefineDecoder::PlanStaleRemovals(const TExportTarget& target,
                                       const std::vector<std::string>& names,
                                       TSaveJournal& save) const {
  const std::string& folder = target.folder;
  std::set<std::string> held(names.begin(), names.end());
  // Another spelling of a name being written ("AA.GIF" beside "aa.gif") is the old file under a
  // name the messenger reads as the same.
  auto otherSpelling = [&](const std::string& name) {
    std::string lower = AsciiLower(name);
    return lower != name && held.count(lower);
  };
  for (const auto& name : platform::FindFiles(folder + PackWildcard(target.pack))) {
    if (held.count(name)) continue;
    // A picture of a position the pack no longer has; other pictures are not the pack's.
    if (!held.count(AsciiLower(name)) && PicturePosition(AsciiLower(name), target.pack) >= 0)
      save.Remove(name);
    else if (otherSpelling(name))
      save.RemoveVariant(name);
  }
  for (const auto& name : platform::FindFiles(folder + "*.ini"))
    if (!held.count(name) && otherSpelling(name)) save.RemoveVariant(name);
}

bool TDefineDecoder::ExportToSource() {
  TSmilePack a = ActivePack;
  if (!LoadedPacks.Contains(a) || !SourceAssigned.Contains(a)) return false;
  return ExportTo(SourcePath[a]);
}

bool TDefineDecoder::ExportToFolder(const std::string& folder) {
  TSmilePack a = ActivePack;
  if (!LoadedPacks.Contains(a)) return false;
  return ExportAll({{a, folder}});
}

bool TDefineDecoder::SavePack() {
  if (!BothPacks) return ConfirmReplace(SourcePath[ActivePack]) && ExportToSource();
  bool ok = true;
  if (LoadedPacks.Contains(spStatic) && LoadedPacks.Contains(spAnimated)) {
    if (BothPathsAssigned) {
      // Every question before anything is written: a "keep" leaves both folders as they are.
      // Then both packs save as one change.
      std::vector<TExportTarget> targets;
      for (TSmilePack pack : AllPacks) {
        if (!SourceAssigned.Contains(pack)) return false;
        targets.push_back({pack, SourcePath[pack]});
      }
      ForEachPack(true, [&] { ok = ok && ConfirmReplace(SourcePath[ActivePack]); });
      return ok && ExportAll(targets);
    }
    std::string path;
    bool chosen = false;
    if (OnChooseFolder) OnChooseFolder(this, true, path, chosen);
    if (!chosen) return false;
    ok = SavePackAs(path);
    if (ok) StoreBothPath(true, Hosted ? HostPath : path);
    return ok;
  }
  std::string path;
  bool cancelled = false;
  ForEachPack(true, [&] {
    if (!ok || cancelled) return;
    if (SourceAssigned.Contains(ActivePack)) {
      ok = ConfirmReplace(SourcePath[ActivePack]) && ExportToSource();
      return;
    }
    bool chosen = false;
    if (OnChooseFolder) OnChooseFolder(this, false, path, chosen);
    if (!chosen) {
      cancelled = true;
      return;
    }
    std::string folder = platform::ExtractFilePath(path);
    ok = ConfirmReplace(folder) && ExportToFolder(folder);
  });
  return ok && !cancelled;
}

bool TDefineDecoder::SavePackAs(const std::string& path) {
  bool ok = true;
  if (BothPacks) {
    std::string root = platform::IncludeTrailingPathDelimiter(path);
    // Every folder this save will remember is checked before anything is written.
    RequireStorable(root);
    std::vector<TExportTarget> targets;
    for (TSmilePack pack : AllPacks)
      if (LoadedPacks.Contains(pack)) targets.push_back({pack, PackFolderIn(root, pack)});
    for (const auto& target : targets) RequireStorable(target.folder);
    // So is every question: a "keep" leaves both folders as they are.
    ForEachPack(true, [&] { ok = ok && ConfirmReplace(PackFolderIn(root, ActivePack)); });
    ok = ok && ExportAll(targets);
    if (ok) StoreBothPath(true, Hosted ? HostPath : root);
    return ok;
  }
  std::string folder = platform::ExtractFilePath(path);
  RequireStorable(folder);
  ok = ConfirmReplace(folder) && ExportToFolder(folder);
  if (ok) StoreHostOrEmptyBothPath();
  return ok;
}

bool TDefineDecoder::ClosePack() {
  if (!QuerySaveChanges()) return false;
  if (OnPackClosing) OnPackClosing(this);
  bool ok = true;
  if (BothPacks) {
    // Both packs close together, or neither does.
    std::vector<TPackChange> changes;
    ForEachPack(true, [&] {
      WriteDefineFile();
      changes.push_back(CloseChange());
    });
    CommitChanges(changes);
  } else {
    ok = ClosePackStorage();
  }
  if (ok) StoreHostOrEmptyBothPath();
  return ok;
}

bool TDefineDecoder::ClosePackStorage() {
  WriteDefineFile();
  if (!LoadedPacks.Contains(ActivePack)) {
    FreeSmiles();
    return false;
  }
  CommitChanges({CloseChange()});
  return true;
}

TDefineDecoder::TPackChange TDefineDecoder::CloseChange() {
  TSmilePack a = ActivePack;
  auto journal = NewJournal(*PackStorages[a]);
  journal->Clear("*.ini");
  journal->Clear(PackWildcard(a));
  journal->SetState(false, false, false, "");
  journal->SetHistoryFile(TPackHistory::StateName, TPackHistory::EmptyState());
  return {a, journal, [this, a] {
            history_[a]->Committed();
            FreeSmiles();
            LoadedPacks.Exclude(a);
            SourceAssigned.Exclude(a);
            DefinePath[a].clear();
            StorageFolder[a].clear();
            SourcePath[a].clear();
            SurplusLines[a] = 0;
            RefreshCaptions();
          }};
}
