// Saving a pack from its storage to a pack folder, and closing it. A save copies first (each
// file of the folder is replaced whole, and none before every copy is written) and only then
// removes the pictures the pack no longer holds; in a folder that held no pack, nothing but the
// pack's own files is written and nothing is removed. So a save that fails or is cut short
// leaves every file of the folder as it was or as saved, never missing.
#include <set>

#include "Cp1251.h"
#include "Files.h"
#include "PackSteps.h"
#include "PictureDecoder.h"

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

bool TDefineDecoder::ExportTo(const std::string& folder) {
  TSmilePack a = ActivePack;
  TStorageManager& storage = *PackStorages[a];
  // Only a whole folder path, never one inside the storage tree.
  if (folder.empty() || folder.front() != platform::PathDelim ||
      folder.back() != platform::PathDelim || !storage.Allocated || IsInsideStorageTree(folder))
    return false;
  RequireStorable(folder);
  EnsureRecovered();
  if (!platform::ForceDirectories(folder))
    throw EPackError(EPackError::pkSaveCopyFailed, folder + DefineFileName);
  // Temporary files of a save that was cut short are ours to remove.
  for (const auto& name : platform::FindFiles(folder + "*.*"))
    if (platform::IsTempFileName(name)) platform::DeleteFile(folder + name);
  bool heldPack = !platform::FindFiles(folder + DefineFileName).empty();
  storage.CopyFilesOut(folder);
  if (storage.LastFailures != 0)
    throw EPackError(EPackError::pkSaveCopyFailed, storage.LastFailedFile);
  if (heldPack) RemoveStaleFiles(folder);
  return platform::FileExists(folder + DefineFileName);
}

void TDefineDecoder::RemoveStaleFiles(const std::string& folder) {
  TSmilePack a = ActivePack;
  std::set<std::string> held;
  for (const auto& name : platform::FindFiles(StorageFolder[a] + "*.*"))
    if (!IsScratchName(name)) held.insert(name);
  // Another spelling of a name just written ("AA.GIF" beside "aa.gif") is the old file under a
  // name the messenger reads as the same, unless the file system already sees one file there.
  auto otherSpelling = [&](const std::string& name) {
    std::string lower = AsciiLower(name);
    return lower != name && held.count(lower) && !platform::SameFile(folder + name, folder + lower);
  };
  for (const auto& name : platform::FindFiles(folder + PackWildcard(a))) {
    if (held.count(name)) continue;
    std::string lower = AsciiLower(name);
    // A picture of a position the pack no longer has; other pictures are not the pack's.
    bool stale = !held.count(lower) && PicturePosition(lower, a) >= 0;
    if (stale || otherSpelling(name)) platform::DeleteFile(folder + name);
  }
  for (const auto& name : platform::FindFiles(folder + "*.ini"))
    if (!held.count(name) && otherSpelling(name)) platform::DeleteFile(folder + name);
}

bool TDefineDecoder::ExportToSource() {
  TSmilePack a = ActivePack;
  if (!LoadedPacks.Contains(a) || !SourceAssigned.Contains(a)) return false;
  if (!ExportTo(SourcePath[a])) return false;
  RememberSaved(SourcePath[a]);
  return true;
}

bool TDefineDecoder::ExportToFolder(const std::string& folder) {
  TSmilePack a = ActivePack;
  if (!LoadedPacks.Contains(a)) return false;
  if (!ExportTo(folder)) return false;
  RememberSaved(folder);
  return true;
}

bool TDefineDecoder::SavePack() {
  if (!BothPacks) return ConfirmReplace(SourcePath[ActivePack]) && ExportToSource();
  bool ok = true;
  if (LoadedPacks.Contains(spStatic) && LoadedPacks.Contains(spAnimated)) {
    if (BothPathsAssigned) {
      // Every question before anything is written: a "keep" leaves both folders as they are.
      ForEachPack(true, [&] { ok = ok && ConfirmReplace(SourcePath[ActivePack]); });
      ForEachPack(true, [&] { ok = ok && ExportToSource(); });
      return ok;
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
    ForEachPack(true, [&] { RequireStorable(PackFolderIn(root, ActivePack)); });
    // So is every question: a "keep" leaves both folders as they are.
    ForEachPack(true, [&] { ok = ok && ConfirmReplace(PackFolderIn(root, ActivePack)); });
    ForEachPack(true, [&] {
      ok = ok && ExportToFolder(PackFolderIn(root, ActivePack));
    });
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
