#include "DefineDecoder.h"

#include <algorithm>

#include "AppData.h"
#include "BmpDecoder.h"
#include "ConfigManager.h"
#include "Cp1251.h"
#include "Files.h"
#include "GifDecoder.h"
#include "StorageManager.h"

// ---------------------------------------------------------------------------------------------
// TSymbolList

template <typename Change>
void TSymbolList::Modify(Change change) {
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
  Modify([&](auto& v) { v.push_back(std::move(symbol)); });
}

void TSymbolList::Insert(int index, std::string symbol) {
  if (index < 0 || index > Count()) return;
  Modify([&](auto& v) { v.insert(v.begin() + index, std::move(symbol)); });
}

void TSymbolList::Put(int index, std::string symbol) {
  if (index < 0 || index >= Count()) return;
  Modify([&](auto& v) { v[static_cast<std::size_t>(index)] = std::move(symbol); });
}

void TSymbolList::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  Modify([&](auto& v) { v.erase(v.begin() + index); });
}

void TSymbolList::Exchange(int a, int b) {
  if (a < 0 || b < 0 || a >= Count() || b >= Count()) return;
  Modify([&](auto& v) { std::swap(v[static_cast<std::size_t>(a)], v[static_cast<std::size_t>(b)]); });
}

void TSymbolList::Assign(std::vector<std::string> symbols) {
  Modify([&](auto& v) { v = std::move(symbols); });
}

void TSymbolList::Clear() {
  Modify([](auto& v) { v.clear(); });
}

// ---------------------------------------------------------------------------------------------
// TSmile

TSmile::TSmile(const std::string& fileName, bool animated) {
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
  Picture = std::move(decoder);
}

TSmile::~TSmile() = default;

// ---------------------------------------------------------------------------------------------
// TDefineDecoder: helpers

namespace {

// Raises OnBeginOperation now and OnEndOperation when the scope ends, also when an error ends
// it, so the user interface always gets its window back.
class TOperationScope {
public:
  explicit TOperationScope(TDefineDecoder* model) : model_(model) {
    if (model_->OnBeginOperation) model_->OnBeginOperation(model_);
  }
  ~TOperationScope() {
    if (model_->OnEndOperation) model_->OnEndOperation(model_);
  }
  TOperationScope(const TOperationScope&) = delete;
  TOperationScope& operator=(const TOperationScope&) = delete;

private:
  TDefineDecoder* model_;
};

constexpr const char* kExchangeScratch = "exchange.tmp";

}  // namespace

template <typename Fn>
void TDefineDecoder::ForEachPack(bool onlyLoaded, Fn fn) {
  TSmilePack previous = ActivePack;
  try {
    for (TSmilePack pack : AllPacks) {
      if (onlyLoaded && !LoadedPacks.Contains(pack)) continue;
      ActivePack = pack;
      fn();
    }
  } catch (...) {
    ActivePack = previous;
    throw;
  }
  ActivePack = previous;
}

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

std::unique_ptr<TSmile> TDefineDecoder::MakeSmile(const std::string& fileName) const {
  return std::make_unique<TSmile>(fileName, ActivePack == spAnimated);
}

void TDefineDecoder::Connect(TSmile& smile) {
  smile.Symbols.OnChange = [this] { SymbolsChanged(); };
}

void TDefineDecoder::FreeSmiles() { Smiles[ActivePack].clear(); }

void TDefineDecoder::StoreBothPath(bool assigned, const std::string& path) {
  BothPathsAssigned = assigned;
  BothPath = path;
  Config->SetFlag(TConfigManager::cfBothPathsAssigned, assigned);
  Config->SetString(TConfigManager::csBothPath, path);
}

void TDefineDecoder::StoreHostOrEmptyBothPath() {
  if (Hosted)
    StoreBothPath(true, HostPath);
  else
    StoreBothPath(false, "");
}

void TDefineDecoder::WriteStorageState(bool allocated, bool pathAssigned, bool loaded,
                                       const std::string& source) {
  TStorageIniFile state(*PackStorages[ActivePack]);
  state.SetFlag(TStorageIniFile::fiStorageAllocated, allocated);
  state.SetFlag(TStorageIniFile::fiPathAssigned, pathAssigned);
  state.SetFlag(TStorageIniFile::fiSmiliesLoaded, loaded);
  state.SetString(TStorageIniFile::siSourcePath, source);
}

std::string TDefineDecoder::PackFolderIn(const std::string& root, TSmilePack pack) const {
  return root + platform::FindSubfolder(root, PackFolderName(pack)) + "/";
}

bool TDefineDecoder::IsInsideStorageTree(const std::string& folder) const {
  return !storageRoot_.empty() && platform::IsPathInside(folder, storageRoot_);
}

// ---------------------------------------------------------------------------------------------
// Construction and state

TDefineDecoder::TDefineDecoder(const std::string& workspaceName) {
  std::string base = StorageName(workspaceName);
  ConfigStorage = std::make_unique<TStorageManager>(base + "/Config");
  Config = std::make_unique<TConfigManager>(*ConfigStorage);
  if (!ConfigStorage->Path.empty())
    storageRoot_ = StorageRootFolder();

  SetActivePack(Config->GetFlag(TConfigManager::cfAnimated) ? spAnimated : spStatic);
  SetBothPacks(Config->GetFlag(TConfigManager::cfBothSmilePacks));
  BothPathsAssigned = Config->GetFlag(TConfigManager::cfBothPathsAssigned);
  BothPath = Config->GetString(TConfigManager::csBothPath);
  TempFolder = Config->GetTempFolder();

  for (TSmilePack pack : AllPacks) {
    auto& storage = PackStorages[pack];
    storage = std::make_unique<TStorageManager>(base + "/" + PackFolderName(pack));
    storage->OnFile = [this](TStorageManager*, const std::string& name) { Progress(name, 1, 0); };
    TStorageIniFile state(*storage);
    if (!state.GetFlag(TStorageIniFile::fiStorageAllocated)) continue;
    if (state.GetFlag(TStorageIniFile::fiSmiliesLoaded)) {
      DefinePath[pack] = storage->Path + DefineFileName;
      StorageFolder[pack] = storage->Path;
      LoadedPacks.Include(pack);
    }
    if (state.GetFlag(TStorageIniFile::fiPathAssigned)) {
      SourcePath[pack] = state.GetString(TStorageIniFile::siSourcePath);
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
  std::string label = smile.LoadError ? ErrorText : smile.Picture ? PictureFileName(index) : NoneText;
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
    else if (!smile.Picture)
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
  std::string content;
  const auto& smiles = Smiles[ActivePack];
  for (std::size_t i = 0; i < smiles.size(); ++i)
    AppendDefineLine(content, smiles[i].Smile->Symbols.Items(), i + 1 == smiles.size());
  WriteDefineBytes(DefinePath[ActivePack], content);
  return true;
}

// ---------------------------------------------------------------------------------------------
// Editing. Each operation changes the pictures and the smile list, then writes the definition
// file; when that write fails, the operation undoes its changes before the error goes on, so
// the storage and the model keep the last complete state.

TSmile* TDefineDecoder::AddSmile(const std::string& fileName) {
  if (!platform::FileExists(fileName)) return nullptr;
  std::string target = StoragePicture(SmileCount());
  if (target.empty() || !platform::CopyFileReplace(fileName, target)) return nullptr;
  auto& smiles = Smiles[ActivePack];
  smiles.push_back({"", MakeSmile(target)});
  TSmile* smile = smiles.back().Smile.get();
  Connect(*smile);
  try {
    RefreshCaptions();
    WriteDefineFile();
  } catch (...) {
    smiles.pop_back();
    platform::DeleteFile(target);
    RefreshCaptions();
    throw;
  }
  return smile;
}

TSmile* TDefineDecoder::InsertSmile(int index, const std::string& fileName) {
  int count = SmileCount();
  if (!platform::FileExists(fileName) || index < 0 || index >= count) return nullptr;
  // A full pack has no name for the last smile's picture to move to.
  if (count >= MaxSmiles) return nullptr;
  auto moveDown = [&] {
    for (int p = index + 1; p <= count; ++p)
      platform::MoveFileNoReplace(StoragePicture(p), StoragePicture(p - 1));
  };
  for (int p = count - 1; p >= index; --p)
    platform::MoveFileNoReplace(StoragePicture(p), StoragePicture(p + 1));
  std::string target = StoragePicture(index);
  if (!platform::CopyFileReplace(fileName, target)) {
    moveDown();
    return nullptr;
  }
  auto& smiles = Smiles[ActivePack];
  smiles.insert(smiles.begin() + index, {"", MakeSmile(target)});
  TSmile* smile = smiles[static_cast<std::size_t>(index)].Smile.get();
  Connect(*smile);
  try {
    RefreshCaptions();
    WriteDefineFile();
  } catch (...) {
    smiles.erase(smiles.begin() + index);
    platform::DeleteFile(target);
    moveDown();
    RefreshCaptions();
    throw;
  }
  return smile;
}

TSmile* TDefineDecoder::ReplacePicture(int index, const std::string& fileName) {
  if (!platform::FileExists(fileName) || index < 0 || index >= SmileCount()) return nullptr;
  std::string target = StoragePicture(index);
  if (!platform::CopyFileReplace(fileName, target)) return nullptr;
  auto smile = MakeSmile(target);
  auto& item = Smiles[ActivePack][static_cast<std::size_t>(index)];
  smile->Symbols.Assign(item.Smile->Symbols.Items());
  Connect(*smile);
  item.Smile = std::move(smile);
  RefreshCaptions();
  WriteDefineFile();
  return item.Smile.get();
}

bool TDefineDecoder::ExchangeSmiles(int a, int b) {
  if (a < 0 || b < 0 || a >= SmileCount() || b >= SmileCount()) return false;
  auto& smiles = Smiles[ActivePack];
  std::string pa = StoragePicture(a), pb = StoragePicture(b);
  std::string scratch = TempFolder + kExchangeScratch;
  // Exchanges the two picture files through the scratch file; a scratch file left over by an
  // interrupted exchange is ours and goes first. Absent pictures are simply not moved.
  auto exchangeFiles = [&]() {
    if (a == b) return true;
    platform::DeleteFile(scratch);
    bool hadA = platform::FileExists(pa), hadB = platform::FileExists(pb);
    if (hadA && !platform::MoveFileNoReplace(pa, scratch)) return false;
    if (hadB && !platform::MoveFileNoReplace(pb, pa)) {
      if (hadA) platform::MoveFileNoReplace(scratch, pa);
      return false;
    }
    if (hadA && !platform::MoveFileNoReplace(scratch, pb)) {
      if (hadB) platform::MoveFileNoReplace(pa, pb);
      platform::MoveFileNoReplace(scratch, pa);
      return false;
    }
    return true;
  };
  if (!exchangeFiles()) return false;
  std::swap(smiles[static_cast<std::size_t>(a)], smiles[static_cast<std::size_t>(b)]);
  try {
    RefreshCaptions();
    WriteDefineFile();
  } catch (...) {
    std::swap(smiles[static_cast<std::size_t>(a)], smiles[static_cast<std::size_t>(b)]);
    exchangeFiles();
    RefreshCaptions();
    throw;
  }
  return true;
}

bool TDefineDecoder::DeleteSmile(int index) {
  if (index < 0 || index >= SmileCount()) return false;
  auto& smiles = Smiles[ActivePack];
  TSmileItem removed = std::move(smiles[static_cast<std::size_t>(index)]);
  smiles.erase(smiles.begin() + index);
  // The new definition file goes first: if it can't be written, nothing has moved yet.
  try {
    WriteDefineFile();
  } catch (...) {
    smiles.insert(smiles.begin() + index, std::move(removed));
    throw;
  }
  removed.Smile.reset();
  platform::DeleteFile(StoragePicture(index));
  for (int p = index; p < SmileCount(); ++p)
    platform::MoveFileNoReplace(StoragePicture(p + 1), StoragePicture(p));
  RefreshCaptions();
  return true;
}

bool TDefineDecoder::DeletePicture(int index) {
  if (index < 0 || index >= SmileCount()) return false;
  GetSmile(index)->Picture.reset();
  platform::DeleteFile(StoragePicture(index));
  RefreshCaptions();
  WriteDefineFile();
  return true;
}

void TDefineDecoder::SymbolsChanged() {
  WriteDefineFile();
  RefreshCaptions();
}

// ---------------------------------------------------------------------------------------------
// Opening

bool TDefineDecoder::QuerySaveChanges() {
  // In both-packs mode the command replaces both packs, so a loaded pack of either kind is
  // worth the question.
  bool holdsPack = BothPacks ? !LoadedPacks.Empty() : LoadedPacks.Contains(ActivePack);
  if (!holdsPack) return true;
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
  if (BothPacks)
    ForEachPack(false, [this] { ResetPackStorage(); });
  else
    ResetPackStorage();
  StoreHostOrEmptyBothPath();
  return true;
}

void TDefineDecoder::ResetPackStorage() {
  TSmilePack a = ActivePack;
  TStorageManager& storage = *PackStorages[a];
  WriteDefineFile();
  FreeSmiles();
  SourceAssigned.Exclude(a);
  SourcePath[a] = Hosted ? PackFolderIn(HostPath, a) : std::string();
  // The state goes first: should the program stop half-way, the storage no longer points at
  // the old pack's folder, so nothing half-cleared can ever be saved over it.
  WriteStorageState(true, false, true, SourcePath[a]);
  // The storage is private: whatever is left in it, also from an interrupted run, goes.
  storage.DeleteFiles("*.ini");
  storage.DeleteFiles(PackWildcard(a));
  LoadedPacks.Include(a);
  CreateEmptyFile(storage.Path + DefineFileName);
  DefinePath[a] = storage.Path + DefineFileName;
  StorageFolder[a] = storage.Path;
  SurplusLines[a] = 0;
  RefreshCaptions();
}

bool TDefineDecoder::OpenPack(const std::string& path) {
  std::string root = platform::IncludeTrailingPathDelimiter(path);
  std::string folder = platform::ExtractFilePath(path);
  if (BothPacks) {
    for (TSmilePack pack : AllPacks)
      if (IsInsideStorageTree(PackFolderIn(root, pack))) return false;
  } else if (IsInsideStorageTree(folder.empty() ? "./" : folder)) {
    return false;
  }
  if (!QuerySaveChanges()) return false;
  bool ok = true;
  if (BothPacks) {
    ForEachPack(false, [&] { ok = ImportPack(PackFolderIn(root, ActivePack)) && ok; });
    if (ok) StoreBothPath(true, Hosted ? HostPath : root);
  } else {
    ok = ImportPack(folder);
    if (ok) StoreHostOrEmptyBothPath();
  }
  return ok;
}

bool TDefineDecoder::ImportPack(const std::string& folder) {
  TSmilePack a = ActivePack;
  TStorageManager& storage = *PackStorages[a];
  if (!storage.Allocated) return false;
  WriteDefineFile();
  FreeSmiles();
  bool copied = true;
  {
    TOperationScope scope(this);
    Stage(stPrepare, 0, 1);
    // Detach the storage from its old folder before anything in it changes (see
    // ResetPackStorage).
    if (LoadedPacks.Contains(a)) WriteStorageState(true, false, true, "");
    storage.DeleteFiles("*.ini");
    storage.DeleteFiles(PackWildcard(a));
    LoadedPacks.Include(a);
    SourceAssigned.Include(a);
    SourcePath[a] = Hosted ? PackFolderIn(HostPath, a) : folder;
    storage.CopyFilesIn(folder + "*.ini");
    copied = storage.LastFailures == 0;
    storage.CopyFilesIn(folder + PackWildcard(a));
    copied = copied && storage.LastFailures == 0;
    DefinePath[a] = storage.Path + DefineFileName;
    StorageFolder[a] = storage.Path;
    WriteStorageState(true, true, true, SourcePath[a]);

    std::vector<std::string> lines;
    ReadDefineFile(lines);
    SurplusLines[a] = std::max(0, static_cast<int>(lines.size()) - MaxSmiles);
    if (SurplusLines[a] > 0) lines.resize(MaxSmiles);
    CheckFiles(lines);
    LoadSmiles(lines);
    WriteDefineFile();
  }
  Loaded = true;
  return copied;
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
      auto smile = MakeSmile(StoragePicture(i));
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
    if (platform::FileExists(StoragePicture(i))) continue;
    ++missing;
    while (!platform::FileExists(StoragePicture(i + shift))) {
      ++shift;
      if (i + shift >= MaxSmiles) return false;
    }
    if (i >= static_cast<int>(lines.size())) return false;
    std::string candidate = PictureFileName(i + shift);
    if (!skipForAll && OnMissingFile) {
      auto smile = MakeSmile(StoragePicture(i + shift));
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
    if (shift > 0) platform::MoveFileNoReplace(StoragePicture(i + shift), StoragePicture(i));
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

// ---------------------------------------------------------------------------------------------
// Saving and closing

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
  // Nothing in the target goes before it is certain that the storage can be copied out.
  if (folder.empty() || !storage.Allocated || IsInsideStorageTree(folder)) return false;
  storage.DeleteFilesAt(folder + "*.ini");
  storage.DeleteFilesAt(folder + PackWildcard(a));
  platform::ForceDirectories(folder);
  storage.CopyFilesOut(folder);
  // A save that could not copy every file is no success.
  return storage.LastFailures == 0 &&
         platform::FileExists(folder + DefineFileName);
}

bool TDefineDecoder::ExportToSource() {
  TSmilePack a = ActivePack;
  if (!LoadedPacks.Contains(a) || !SourceAssigned.Contains(a)) return false;
  return ExportTo(SourcePath[a]);
}

bool TDefineDecoder::ExportToFolder(const std::string& folder) {
  TSmilePack a = ActivePack;
  if (!LoadedPacks.Contains(a)) return false;
  if (!ExportTo(folder)) return false;
  SourcePath[a] = folder;
  SourceAssigned.Include(a);
  TStorageIniFile state(*PackStorages[a]);
  state.SetFlag(TStorageIniFile::fiPathAssigned, true);
  state.SetString(TStorageIniFile::siSourcePath, folder);
  return true;
}

bool TDefineDecoder::SavePack() {
  if (!BothPacks) return ExportToSource();
  bool ok = true;
  if (LoadedPacks.Contains(spStatic) && LoadedPacks.Contains(spAnimated)) {
    if (BothPathsAssigned) {
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
      ok = ExportToSource();
      return;
    }
    bool chosen = false;
    if (OnChooseFolder) OnChooseFolder(this, false, path, chosen);
    if (!chosen) {
      cancelled = true;
      return;
    }
    ok = ExportToFolder(platform::ExtractFilePath(path));
  });
  return ok && !cancelled;
}

bool TDefineDecoder::SavePackAs(const std::string& path) {
  bool ok = true;
  if (BothPacks) {
    std::string root = platform::IncludeTrailingPathDelimiter(path);
    ForEachPack(true, [&] {
      ok = ok && ExportToFolder(PackFolderIn(root, ActivePack));
    });
    if (ok) StoreBothPath(true, Hosted ? HostPath : root);
    return ok;
  }
  ok = ExportToFolder(platform::ExtractFilePath(path));
  if (ok) StoreHostOrEmptyBothPath();
  return ok;
}

bool TDefineDecoder::ClosePack() {
  if (!QuerySaveChanges()) return false;
  if (OnPackClosing) OnPackClosing(this);
  bool ok = true;
  if (BothPacks)
    ForEachPack(true, [&] { ok = ClosePackStorage() && ok; });
  else
    ok = ClosePackStorage();
  if (ok) StoreHostOrEmptyBothPath();
  return ok;
}

bool TDefineDecoder::ClosePackStorage() {
  TSmilePack a = ActivePack;
  WriteDefineFile();
  FreeSmiles();
  if (!LoadedPacks.Contains(a)) return false;
  // The cleared state goes first, so that an interrupted close never leaves a half-emptied
  // pack that still points at its folder.
  WriteStorageState(false, false, false, "");
  PackStorages[a]->DeleteFiles("*.ini");
  PackStorages[a]->DeleteFiles(PackWildcard(a));
  LoadedPacks.Exclude(a);
  SourceAssigned.Exclude(a);
  DefinePath[a].clear();
  StorageFolder[a].clear();
  SourcePath[a].clear();
  SurplusLines[a] = 0;
  RefreshCaptions();
  return true;
}
