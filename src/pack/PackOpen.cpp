// SPDX-License-Identifier: GPL-3.0-or-later
// Packs coming into the model: what the storage still holds at start-up, a new empty pack, and
// a pack opened from a folder. Opening copies the pack into the storage's incoming folder and
// checks it there, so the pack the storage holds stays whole until the new one replaces it in
// one committed change; an open that can't copy everything changes nothing.
#include <algorithm>

#include "Cp1251.h"
#include "Files.h"
#include "PackPrint.h"
#include "PackSteps.h"
#include "PictureDecoder.h"

bool TDefineDecoder::QuerySaveChanges() {
  // In both-packs mode the command replaces both packs, so a change of either is worth the
  // question.
  bool changed = BothPacks ? IsChanged(spStatic) || IsChanged(spAnimated) : IsChanged(ActivePack);
  if (!changed) return true;
  unsigned char answer = 1;
  if (OnSaveQuery) OnSaveQuery(this, answer);
  if (answer == 1) return true;
  if (answer != 0) return false;
  // A single pack that has never been saved has no target yet: ask for one rather than lose
  // the work.
  if (!BothPacks && !SourceAssigned.Contains(ActivePack)) {
    std::string path = SourcePath[ActivePack];
    bool ok = false;
    if (OnChooseFolder) OnChooseFolder(this, false, path, ok);
    return ok && SavePackAs(path);
  }
  return SavePack();
}

void TDefineDecoder::LoadFromStorage() {
  if (Loaded) return;
  {
    TOperationScope scope(this);
    ForEachPack(true, [this] {
      std::vector<std::string> lines;
      ReadDefineFile(lines);
      LoadSmiles(lines);
    });
  }
  Loaded = true;
}

bool TDefineDecoder::NewPack() {
  for (TSmilePack pack : AllPacks)
    if ((BothPacks || pack == ActivePack) && !PackStorages[pack]->Allocated) return false;
  if (!QuerySaveChanges()) return false;
  // Both packs start anew together, or neither does.
  std::vector<TPackChange> changes;
  TSmilePack chosen = ActivePack;
  ForEachPack(false, [&] {
    if (!BothPacks && ActivePack != chosen) return;
    EnsureRecovered();
    changes.push_back(ResetChange());
  });
  CommitChanges(changes);
  StoreHostOrEmptyBothPath();
  return true;
}

void TDefineDecoder::ResetPackStorage() {
  EnsureRecovered();
  CommitChanges({ResetChange()});
}

TDefineDecoder::TPackChange TDefineDecoder::ResetChange(const std::vector<TPackSmile>& smiles) {
  TSmilePack a = ActivePack;
  TStorageManager& storage = *PackStorages[a];
  // A new pack of a hosted run belongs in the host's folder from the start.
  std::string source = Hosted ? PackFolderIn(HostPath, a) : std::string();
  bool assigned = Hosted && IsStorableFolder(source);
  auto journal = NewJournal(storage);
  // The storage is private: whatever is left in it goes.
  journal->Clear("*.ini");
  journal->Clear(PackWildcard(a));
  std::size_t count = std::min(smiles.size(), static_cast<std::size_t>(MaxSmiles));
  std::string content;
  for (std::size_t i = 0; i < count; ++i) {
    std::string name = PictureFileName(static_cast<int>(i));
    // Without a flush each: the commit makes them all durable in one go.
    const std::string staged = journal->StagedPath(name);
    if (smiles[i].file.empty() ? !platform::WriteFileAtomic(staged, smiles[i].picture, false)
                               : !platform::CopyFileReplace(smiles[i].file, staged, false)) {
      for (std::size_t k = 0; k < i; ++k)
        platform::DeleteFile(journal->StagedPath(PictureFileName(static_cast<int>(k))));
      throw platform::EWriteError(storage.Path + name);
    }
    journal->Place(name, false);
    AppendDefineLine(content, smiles[i].symbols, i + 1 == count);
  }
  journal->SetDefine(content);
  journal->SetState(true, assigned, true, source);
  journal->SetHistoryFile(TPackHistory::StateName, TPackHistory::EmptyState());
  return {a, journal, [this, a, source, assigned] {
            TStorageManager& storage = *PackStorages[a];
            history_[a]->Committed();
            FreeSmiles();
            LoadedPacks.Include(a);
            if (assigned)
              SourceAssigned.Include(a);
            else
              SourceAssigned.Exclude(a);
            SourcePath[a] = source;
            DefinePath[a] = storage.Path + DefineFileName;
            StorageFolder[a] = storage.Path;
            SurplusLines[a] = 0;
            std::vector<std::string> lines;
            ReadDefineLines(DefinePath[a], lines);
            if (lines.empty())
              RefreshCaptions();
            else
              LoadSmiles(lines);
          }};
}

bool TDefineDecoder::NewPackFrom(const std::vector<TPackSmile>& smiles) {
  if (!PackStorages[ActivePack]->Allocated) return false;
  if (!QuerySaveChanges()) return false;
  EnsureRecovered();
  {
    TOperationScope scope(this);
    Stage(stPrepare, 0, 1);
    CommitChanges({ResetChange(smiles)});
  }
  Loaded = true;
  StoreHostOrEmptyBothPath();
  return true;
}

bool TDefineDecoder::OpenPack(const std::string& path) {
  std::string root = platform::IncludeTrailingPathDelimiter(path);
  std::string folders[2];
  for (TSmilePack pack : AllPacks) {
    if (!BothPacks && pack != ActivePack) continue;
    folders[pack] = BothPacks ? PackFolderIn(root, pack) : platform::ExtractFilePath(path);
    if (IsInsideStorageTree(folders[pack].empty() ? "./" : folders[pack])) return false;
    if (!PackStorages[pack]->Allocated) return false;
    RequireStorable(Hosted ? PackFolderIn(HostPath, pack) : folders[pack]);
  }
  if (BothPacks && !Hosted) RequireStorable(root);
  if (!QuerySaveChanges()) return false;
  if (!BothPacks) {
    ImportPack(folders[ActivePack]);
    StoreHostOrEmptyBothPath();
    return true;
  }
  // Both packs are copied and checked before either replaces what the storage holds, so an
  // open that fails for one pack leaves both as they were.
  {
    TOperationScope scope(this);
    try {
      ForEachPack(false, [&] { PrepareImport(folders[ActivePack]); });
      std::vector<TPackChange> changes;
      ForEachPack(false, [&] { changes.push_back(ImportChange()); });
      CommitChanges(changes);
    } catch (...) {
      ForEachPack(false, [&] { DiscardIncoming(); });
      throw;
    }
  }
  Loaded = true;
  StoreBothPath(true, Hosted ? HostPath : root);
  return true;
}

bool TDefineDecoder::ImportPack(const std::string& folder) {
  if (!PackStorages[ActivePack]->Allocated) return false;
  {
    TOperationScope scope(this);
    try {
      PrepareImport(folder);
      CommitChanges({ImportChange()});
    } catch (...) {
      DiscardIncoming();
      throw;
    }
  }
  Loaded = true;
  return true;
}

std::string TDefineDecoder::IncomingFolder() const {
  TStorageManager& storage = *PackStorages[ActivePack];
  return incomingDirect_[ActivePack] ? storage.Path : TStorageJournal::IncomingFolder(storage);
}

void TDefineDecoder::DiscardIncoming() {
  incomingLines_[ActivePack].clear();
  TStorageManager& storage = *PackStorages[ActivePack];
  // A change written down but not carried out still needs the incoming files.
  if (TStorageJournal::Pending(storage)) return;
  if (incomingDirect_[ActivePack]) {
    if (!LoadedPacks.Contains(ActivePack)) ClearUnloadedStorage(ActivePack);
    return;
  }
  std::string incoming = IncomingFolder();
  for (const auto& name : platform::FindFiles(incoming + "*.*"))
    platform::DeleteFile(incoming + name);
  platform::RemoveEmptyFolder(incoming);
}

void TDefineDecoder::ClearUnloadedStorage(TSmilePack pack) {
  PackStorages[pack]->DeleteFiles("*.ini");
  PackStorages[pack]->DeleteFiles(PackWildcard(pack));
}

void TDefineDecoder::PrepareImport(const std::string& folder) {
  TSmilePack a = ActivePack;
  TStorageManager& storage = *PackStorages[a];
  EnsureRecovered();
  Stage(stPrepare, 0, 1);
  // A storage that holds no pack takes the new one straight in: until the change that loads
  // it commits, what is there is nobody's and goes at the next start.
  incomingDirect_[a] = false;
  DiscardIncoming();
  incomingDirect_[a] = !LoadedPacks.Contains(a);
  if (incomingDirect_[a]) ClearUnloadedStorage(ActivePack);
  // Taken before the copy: a change made meanwhile then shows at the next save.
  std::string sourcePrint = FolderPrint(folder, a);
  std::string incoming = IncomingFolder();
  if (!platform::ForceDirectories(incoming))
    throw EPackError(EPackError::pkOpenCopyFailed, folder + DefineFileName);
  for (const std::string& mask : {std::string("*.ini"), std::string(PackWildcard(a))}) {
    storage.CopyFilesIn(folder + mask, incoming);
    if (storage.LastFailures != 0)
      throw EPackError(EPackError::pkOpenCopyFailed, storage.LastFailedFile);
  }
  incomingSource_[a] = Hosted ? PackFolderIn(HostPath, a) : folder;
  // A hosted pack read from elsewhere has no print of the folder it goes to.
  incomingPrint_[a] = incomingSource_[a] == folder ? sourcePrint : std::string();

  std::vector<std::string>& lines = incomingLines_[a];
  lines.clear();
  Stage(stReadDefine, 0, 0);
  ReadDefineLines(incoming + DefineFileName, lines);
  // The definition file the pack will have is written from the checked lines.
  platform::DeleteFile(incoming + DefineFileName);
  SurplusLines[a] = std::max(0, static_cast<int>(lines.size()) - MaxSmiles);
  if (SurplusLines[a] > 0) lines.resize(MaxSmiles);
  // The check moves pictures inside the incoming folder only.
  checkFolder_ = incoming;
  try {
    CheckFiles(lines);
  } catch (...) {
    checkFolder_.clear();
    throw;
  }
  checkFolder_.clear();
}

TDefineDecoder::TPackChange TDefineDecoder::ImportChange() {
  TSmilePack a = ActivePack;
  const std::vector<std::string>& lines = incomingLines_[a];
  std::string content;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::vector<std::string> symbols;
    ::ParseSymbols(lines[i], symbols);
    AppendDefineLine(content, symbols, i + 1 == lines.size());
  }
  auto journal = NewJournal(*PackStorages[a]);
  if (!incomingDirect_[a]) {
    journal->Clear("*.ini");
    journal->Clear(PackWildcard(a));
    journal->FillFromIncoming();
  } else {
    // The pack was copied straight into the storage, unflushed.
    journal->Unflushed();
  }
  // The incoming pictures keep their times as they move into the storage, which gets this
  // definition file: the print the storage will have once the change is made.
  std::string storagePrint = FolderPrintWith(IncomingFolder(), a, content);
  journal->SetDefine(content);
  journal->SetState(true, true, true, incomingSource_[a], incomingPrint_[a], storagePrint);
  journal->SetHistoryFile(TPackHistory::StateName, TPackHistory::EmptyState());
  return {a, journal, [this, a] {
            TStorageManager& storage = *PackStorages[a];
            history_[a]->Committed();
            FreeSmiles();
            LoadedPacks.Include(a);
            SourceAssigned.Include(a);
            SourcePath[a] = incomingSource_[a];
            DefinePath[a] = storage.Path + DefineFileName;
            StorageFolder[a] = storage.Path;
            LoadSmiles(incomingLines_[a]);
            incomingLines_[a].clear();
          }};
}

std::string TDefineDecoder::PicturePath(int index) const {
  std::string name = PictureFileName(index);
  if (name.empty()) return name;
  return (checkFolder_.empty() ? StorageFolder[ActivePack] : checkFolder_) + name;
}

bool TDefineDecoder::CheckFiles(std::vector<std::string>& lines) {
  const int n = static_cast<int>(lines.size());
  Stage(stCheck, 0, n);

  // Empty lines. Positions count the lines as they were, so the picture shown is the one the
  // empty line stands for.
  bool keep = true, keepForAll = false;
  std::vector<std::string> original;
  original.swap(lines);
  for (int i = 0; i < n; ++i) {
    const std::string& line = original[static_cast<std::size_t>(i)];
    if (!line.empty()) {
      lines.push_back(line);
      continue;
    }
    if (!keepForAll && OnEmptyLine) {
      auto smile = MakeSmile(PicturePath(i), true);
      OnEmptyLine(this, keep, keepForAll, PictureFileName(i), smile.get());
    }
    if (keep) lines.emplace_back();
  }

  // Missing pictures. "Replace" closes the gap with the nearest following picture; "skip"
  // leaves the position without one.
  bool skip = false, skipForAll = false;
  int shift = 0, missing = 0;
  for (int i = 0; i < n; ++i) {
    std::string current = PictureFileName(i);
    Progress(current, i + 1, missing);
    if (platform::FileExists(PicturePath(i))) continue;
    ++missing;
    while (!platform::FileExists(PicturePath(i + shift))) {
      ++shift;
      if (i + shift >= MaxSmiles) return false;
    }
    if (i >= static_cast<int>(lines.size())) return false;
    std::string candidate = PictureFileName(i + shift);
    if (!skipForAll && OnMissingFile) {
      auto smile = MakeSmile(PicturePath(i + shift), true);
      std::vector<std::string> symbols;
      ::ParseSymbols(lines[static_cast<std::size_t>(i)], symbols);
      smile->Symbols.Assign(symbols);
      std::string symbol = symbols.empty() ? NoneText : platform::Cp1251ToUtf8(symbols.front());
      OnMissingFile(this, skip, skipForAll, current, candidate, symbol, smile.get());
    }
    if (skip) {
      --shift;
      continue;
    }
    if (shift > 0) platform::MoveFileNoReplace(PicturePath(i + shift), PicturePath(i));
  }
  return true;
}

bool TDefineDecoder::LoadSmiles(const std::vector<std::string>& lines) {
  TSmilePack a = ActivePack;
  Stage(stLoad, 0, static_cast<int>(lines.size()));
  auto& smiles = Smiles[a];
  for (std::size_t i = 0; i < lines.size(); ++i) {
    int position = static_cast<int>(i);
    Progress(PictureFileName(position), position + 1, TotalLoadErrors);
    auto smile = MakeSmile(StoragePicture(position));
    std::vector<std::string> symbols;
    ::ParseSymbols(lines[i], symbols);
    smile->Symbols.Assign(std::move(symbols));
    Connect(*smile);
    if (smile->LoadError) ++TotalLoadErrors;
    smiles.push_back({"", std::move(smile)});
  }
  RefreshCaptions();
  return true;
}

bool TDefineDecoder::CreateEmptyFile(const std::string& path) {
  return platform::WriteFileAtomic(path, "");
}
