// SPDX-License-Identifier: GPL-3.0-or-later
#include "DefineDecoder.h"

#include <algorithm>

#include "AppData.h"
#include "BmpDecoder.h"
#include "ConfigManager.h"
#include "Cp1251.h"
#include "Files.h"
#include "GifDecoder.h"
#include "PackError.h"
#include "SaveJournal.h"
#include "StorageJournal.h"
#include "StorageManager.h"

// ---------------------------------------------------------------------------------------------
// TSymbolList

template <typename Change>
void TSymbolList::Modify(TLastChange what, Change change) {
  LastChange = what;
  if (!OnChange) {
    change(items_);
    return;
  }
  std::vector<std::string> before = items_;
  change(items_);
  try {
    OnChange();
  } catch (...) {
    items_ = std::move(before);
    throw;
  }
}

int TSymbolList::IndexOf(const std::string& symbol) const {
  for (std::size_t i = 0; i < items_.size(); ++i)
    if (platform::SameText1251(items_[i], symbol)) return static_cast<int>(i);
  return -1;
}

void TSymbolList::Add(std::string symbol) {
  Modify({scAdd, Count()}, [&](auto& v) { v.push_back(std::move(symbol)); });
}

void TSymbolList::Insert(int index, std::string symbol) {
  if (index < 0 || index > Count()) return;
  Modify({scInsert, index}, [&](auto& v) { v.insert(v.begin() + index, std::move(symbol)); });
}

void TSymbolList::Put(int index, std::string symbol) {
  if (index < 0 || index >= Count()) return;
  Modify({scPut, index}, [&](auto& v) { v[static_cast<std::size_t>(index)] = std::move(symbol); });
}

void TSymbolList::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  Modify({scDelete, index}, [&](auto& v) { v.erase(v.begin() + index); });
}

void TSymbolList::Exchange(int a, int b) {
  if (a < 0 || b < 0 || a >= Count() || b >= Count()) return;
  Modify({scExchange, a, b}, [&](auto& v) {
    std::swap(v[static_cast<std::size_t>(a)], v[static_cast<std::size_t>(b)]);
  });
}

void TSymbolList::Assign(std::vector<std::string> symbols) {
  Modify({scAssign, -1}, [&](auto& v) { v = std::move(symbols); });
}

void TSymbolList::Clear() {
  Modify({scClear, -1}, [](auto& v) { v.clear(); });
}

// ---------------------------------------------------------------------------------------------
// TSmile

TSmile::TSmile(const std::string& fileName, bool animated, bool keepFrames) {
  std::unique_ptr<TPictureDecoder> decoder;
  try {
    if (animated)
      decoder = std::make_unique<TGifDecoder>(fileName);
    else
      decoder = std::make_unique<TBmpDecoder>(fileName);
  } catch (const std::exception&) {
    return;  // the file could not be opened: a missing picture
  }
  try {
    decoder->Decode();
  } catch (const std::exception&) {
    LoadError = true;
    return;
  }
  HasPicture = true;
  FrameCount = decoder->GetFrameCount();
  if (const TSmileBitmap* first = decoder->GetFrame(0)) {
    Width = first->width;
    Height = first->height;
  }
  for (int i = 0; i < FrameCount; ++i) Duration += std::max(0, decoder->GetFrameDelay(i));
  if (keepFrames) Picture = std::move(decoder);
}

TSmile::~TSmile() = default;

// ---------------------------------------------------------------------------------------------
// TDefineDecoder: helpers


void TDefineDecoder::Progress(const std::string& fileName, int position, int errors) {
  if (OnProgress) OnProgress(this, fileName, position, errors);
}

void TDefineDecoder::Stage(TStage stage, int min, int max) {
  if (OnStage) OnStage(this, stage, min, max);
}

std::string TDefineDecoder::StoragePicture(int index) const {
  std::string name = PictureFileName(index);
  return name.empty() || StorageFolder[ActivePack].empty() ? std::string()
                                                           : StorageFolder[ActivePack] + name;
}

std::unique_ptr<TSmile> TDefineDecoder::MakeSmile(const std::string& fileName,
                                                   bool keepFrames) const {
  return std::make_unique<TSmile>(fileName, ActivePack == spAnimated, keepFrames);
}

void TDefineDecoder::Connect(TSmile& smile) {
  smile.Symbols.OnChange = [this, &smile] { SymbolsChangedIn(smile); };
}

void TDefineDecoder::FreeSmiles() { Smiles[ActivePack].clear(); }

void TDefineDecoder::StoreBothPath(bool assigned, const std::string& path) {
  BothPathsAssigned = assigned;
  BothPath = path;
  Config->SetFlag(TConfigManager::cfBothPathsAssigned, assigned);
  Config->SetString(TConfigManager::csBothPath, path);
  // Where both packs save to outlives a power cut that follows.
  if (!ConfigStorage->Path.empty() && !platform::SyncFolder(ConfigStorage->Path))
    throw platform::EWriteError(ConfigStorage->Path + "config.ini");
}

void TDefineDecoder::StoreHostOrEmptyBothPath() {
  if (Hosted)
    StoreBothPath(true, HostPath);
  else
    StoreBothPath(false, "");
}

std::string TDefineDecoder::PackFolderIn(const std::string& root, TSmilePack pack) const {
  return root + platform::FindSubfolder(root, PackFolderName(pack)) + "/";
}

bool TDefineDecoder::IsInsideStorageTree(const std::string& folder) const {
  return !storageRoot_.empty() && platform::IsPathInside(folder, storageRoot_);
}

bool TDefineDecoder::IsStorableFolder(const std::string& folder) {
  return !folder.empty() && folder.back() == platform::PathDelim && platform::IniValueFits(folder);
}

void TDefineDecoder::RequireStorable(const std::string& folder) {
  if (!IsStorableFolder(platform::IncludeTrailingPathDelimiter(folder)))
    throw EPackError(EPackError::pkPathNotStorable, folder);
}

void TDefineDecoder::EnsureRecovered() {
  TStorageManager& storage = *PackStorages[ActivePack];
  std::string damaged = TStorageJournal::DamagedRecord(storage);
  if (!damaged.empty()) throw EPackError(EPackError::pkRecordDamaged, damaged);
  if (TStorageJournal::Pending(storage) && !TStorageJournal::Recover(storage))
    throw EPackError(EPackError::pkRecoveryFailed, storage.Path);
}

void TDefineDecoder::CommitChanges(const std::vector<TPackChange>& changes) {
  if (changes.empty()) return;
  std::vector<TStorageJournal*> journals;
  for (const auto& change : changes) journals.push_back(change.Journal.get());
  bool completed = TStorageJournal::CommitAll(journals);
  ForEachPack(false, [&] {
    for (const auto& change : changes)
      if (change.Pack == ActivePack) change.Apply();
  });
  if (!completed)
    throw EPackError(EPackError::pkRecoveryFailed, PackStorages[changes[0].Pack]->Path);
}

std::vector<const TSmile*> TDefineDecoder::Order() const {
  std::vector<const TSmile*> order;
  for (const auto& item : Smiles[ActivePack]) order.push_back(item.Smile.get());
  return order;
}

std::string TDefineDecoder::DefineContent(const std::vector<const TSmile*>& order) {
  std::string content;
  static const std::vector<std::string> kNoSymbols;
  for (std::size_t i = 0; i < order.size(); ++i)
    AppendDefineLine(content, order[i] ? order[i]->Symbols.Items() : kNoSymbols,
                     i + 1 == order.size());
  return content;
}

std::vector<int> TDefineDecoder::PicturePositions() const {
  std::vector<int> positions;
  std::string pattern = StorageFolder[ActivePack] + PackWildcard(ActivePack);
  for (const auto& name : platform::FindFiles(pattern)) {
    int p = PicturePosition(name, ActivePack);
    if (p >= 0) positions.push_back(p);
  }
  std::sort(positions.begin(), positions.end());
  return positions;
}

// ---------------------------------------------------------------------------------------------
// Construction and state

TDefineDecoder::TDefineDecoder(const std::string& workspaceName) {
  std::string base = StorageName(workspaceName);
  ConfigStorage = std::make_unique<TStorageManager>(base + "/Config");
  if (!ConfigStorage->Path.empty()) {
    storageRoot_ = StorageRootFolder();
    workspace_ = platform::IncludeTrailingPathDelimiter(storageRoot_ + workspaceName);
  }
  for (TSmilePack pack : AllPacks) {
    auto& storage = PackStorages[pack];
    storage = std::make_unique<TStorageManager>(base + "/" + PackFolderName(pack));
    storage->OnFile = [this](TStorageManager*, const std::string& name) { Progress(name, 1, 0); };
  }
  // A record that fails its checks stops the start before anything is written, completed or
  // cleaned up: what it would have completed, and what it protects, stay as they are.
  std::string damaged;
  for (TSmilePack pack : AllPacks)
    if (damaged.empty()) damaged = TStorageJournal::DamagedRecord(*PackStorages[pack]);
  if (damaged.empty() && TSaveJournal::Damaged(SaveRecordPath())) damaged = SaveRecordPath();
  if (!damaged.empty()) throw EPackError(EPackError::pkRecordDamaged, damaged);

  Config = std::make_unique<TConfigManager>(*ConfigStorage);
  SetActivePack(Config->GetFlag(TConfigManager::cfAnimated) ? spAnimated : spStatic);
  SetBothPacks(Config->GetFlag(TConfigManager::cfBothSmilePacks));
  BothPathsAssigned = Config->GetFlag(TConfigManager::cfBothPathsAssigned);
  BothPath = Config->GetString(TConfigManager::csBothPath);
  TempFolder = Config->GetTempFolder();

  // Whatever a stop cut short is completed before anything reads the storage.
  for (TSmilePack pack : AllPacks)
    if (!TStorageJournal::Recover(*PackStorages[pack]))
      throw EPackError(EPackError::pkRecoveryFailed, PackStorages[pack]->Path);
  TSaveJournal::Finish(SaveRecordPath());
  if (!workspace_.empty()) TStorageJournal::RemoveWorkspaceScratch(workspace_);

  for (TSmilePack pack : AllPacks) {
    auto& storage = PackStorages[pack];
    history_[pack] = std::make_unique<TPackHistory>(TStorageJournal::HistoryFolder(*storage), pack);
    history_[pack]->Committed();
    TStorageIniFile state(*storage);
    bool loaded = state.GetFlag(TStorageIniFile::fiStorageAllocated) &&
                  state.GetFlag(TStorageIniFile::fiSmiliesLoaded);
    if (!loaded) ClearUnloadedStorage(pack);
    if (!state.GetFlag(TStorageIniFile::fiStorageAllocated)) continue;
    if (state.GetFlag(TStorageIniFile::fiSmiliesLoaded)) {
      DefinePath[pack] = storage->Path + DefineFileName;
      StorageFolder[pack] = storage->Path;
      LoadedPacks.Include(pack);
    }
    // A folder that does not read back whole is no target: saving asks for one instead.
    std::string source = state.GetString(TStorageIniFile::siSourcePath);
    if (state.GetFlag(TStorageIniFile::fiPathAssigned) && IsStorableFolder(source)) {
      SourcePath[pack] = source;
      SourceAssigned.Include(pack);
    }
  }
}

TDefineDecoder::~TDefineDecoder() {
  try {
    UnloadAll();
  } catch (const std::exception&) {
    // The storage keeps the definition file of the last successful write.
  }
}

void TDefineDecoder::SetActivePack(TSmilePack pack) {
  ActivePack = pack;
  Config->SetFlag(TConfigManager::cfAnimated, pack == spAnimated);
}

void TDefineDecoder::SetBothPacks(bool value) {
  BothPacks = value;
  Config->SetFlag(TConfigManager::cfBothSmilePacks, value);
}

void TDefineDecoder::SetHostPath(const std::string& path) {
  Hosted = true;
  HostPath = platform::IncludeTrailingPathDelimiter(path);
}

void TDefineDecoder::UnloadAll() {
  if (!Loaded) return;
  ForEachPack(true, [this] {
    WriteDefineFile();
    FreeSmiles();
  });
  Loaded = false;
}

// ---------------------------------------------------------------------------------------------
// Reading the active pack

int TDefineDecoder::SmileCount() const { return static_cast<int>(Smiles[ActivePack].size()); }

TSmile* TDefineDecoder::GetSmile(int index) const {
  if (index < 0 || index >= SmileCount()) return nullptr;
  return Smiles[ActivePack][static_cast<std::size_t>(index)].Smile.get();
}

bool TDefineDecoder::FillList(TSmileListView& strings) const {
  strings.clear();
  for (const auto& item : Smiles[ActivePack]) strings.push_back({item.Caption, item.Smile.get()});
  return true;
}

std::string TDefineDecoder::Caption(int index) const {
  const TSmile& smile = *GetSmile(index);
  std::string label = smile.LoadError    ? ErrorText
                      : smile.HasPicture ? PictureFileName(index)
                                         : NoneText;
  std::string symbol = smile.Symbols.Empty() ? NoneText : platform::Cp1251ToUtf8(smile.Symbols[0]);
  return label + " (" + symbol + ")";
}

void TDefineDecoder::RefreshCaptions() {
  TSmilePack a = ActivePack;
  LoadErrors[a] = MissingPictures[a] = NoSymbolSmiles[a] = 0;
  for (int i = 0; i < SmileCount(); ++i) {
    TSmile& smile = *GetSmile(i);
    if (smile.LoadError)
      ++LoadErrors[a];
    else if (!smile.HasPicture)
      ++MissingPictures[a];
    if (smile.Symbols.Empty()) ++NoSymbolSmiles[a];
    Smiles[a][static_cast<std::size_t>(i)].Caption = Caption(i);
  }
}

bool TDefineDecoder::FindSymbol(const std::string& symbol, int& smileIndex,
                                int& symbolIndex) const {
  for (int i = 0; i < SmileCount(); ++i) {
    int j = GetSmile(i)->Symbols.IndexOf(symbol);
    if (j >= 0) {
      smileIndex = i;
      symbolIndex = j;
      return true;
    }
  }
  return false;
}

// ---------------------------------------------------------------------------------------------
// Definition file

std::string TDefineDecoder::PictureFileName(int index) const {
  return ::PictureFileName(index, ActivePack);
}

bool TDefineDecoder::ReadDefineFile(std::vector<std::string>& lines) {
  Stage(stReadDefine, 0, 0);
  if (DefinePath[ActivePack].empty()) return false;
  return ReadDefineLines(DefinePath[ActivePack], lines);
}

void TDefineDecoder::ParseSymbols(const std::string& line, std::vector<std::string>& symbols) {
  ::ParseSymbols(line, symbols);
}

bool TDefineDecoder::WriteDefineFile() {
  if (!LoadedPacks.Contains(ActivePack)) return false;
  EnsureRecovered();
  WriteDefineBytes(DefinePath[ActivePack], DefineContent(Order()));
  return true;
}

