// SPDX-License-Identifier: GPL-3.0-or-later
// The model of the two smile packs being edited. TDefineDecoder holds the Static and the
// Animated pack, each as a list of TSmile objects kept in a working storage of its own, and
// writes every change through to that storage before an operation returns. Only saving
// touches a pack's own folder. The model never calls the user interface: it reports progress
// and asks its questions through the events below.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "DefineFile.h"
#include "PackHistory.h"

class TPictureDecoder;
class TSaveJournal;
class TStorageManager;
class TStorageJournal;
class TConfigManager;

// A smile's symbols in definition-line order (the first is the leading symbol); unsorted,
// duplicates possible. OnChange runs after every change; when it throws, the change is undone
// before the error goes on, so the list always matches what was last stored.
class TSymbolList {
public:
  // What the last change did, for whoever OnChange tells: its kind and the symbol it touched.
  enum TChange { scAdd, scInsert, scPut, scDelete, scExchange, scAssign, scClear };
  struct TLastChange {
    TChange Kind = scAssign;
    int Index = -1;
    int Other = -1;  // the other symbol of an exchange
  };

  std::function<void()> OnChange;
  TLastChange LastChange;

  int Count() const { return static_cast<int>(items_.size()); }
  bool Empty() const { return items_.empty(); }
  const std::string& operator[](int index) const { return items_[static_cast<std::size_t>(index)]; }
  const std::vector<std::string>& Items() const { return items_; }
  // Position of the first symbol equal to Symbol with letter case folded (Windows-1251), or -1.
  int IndexOf(const std::string& symbol) const;

  void Add(std::string symbol);
  void Insert(int index, std::string symbol);
  void Put(int index, std::string symbol);
  void Delete(int index);
  void Exchange(int a, int b);
  void Assign(std::vector<std::string> symbols);
  void Clear();

private:
  template <typename Change>
  void Modify(TLastChange what, Change change);
  std::vector<std::string> items_;
};

// One smile: what its picture is, and its symbols. A smile is "with picture" (HasPicture),
// "missing picture" (the file could not be opened) or "load error" (the file did not decode).
// The picture is decoded once, to tell which and to learn its size, frames and loop time; its
// frames stay (Picture, owned) only when asked for: a pack's smiles keep none, since a pack of
// 676 animated smiles would hold hundreds of thousands of frames, and whoever shows a picture
// decodes it again from its file.
class TSmile {
public:
  TSmile(const std::string& fileName, bool animated, bool keepFrames = true);
  ~TSmile();
  TSmile(const TSmile&) = delete;
  TSmile& operator=(const TSmile&) = delete;

  bool LoadError = false;
  bool HasPicture = false;
  int Width = 0, Height = 0;  // of the picture's screen, in pixels
  int FrameCount = 0;
  int Duration = 0;           // of one loop, in milliseconds
  std::unique_ptr<TPictureDecoder> Picture;  // the decoded frames, when kept
  TSymbolList Symbols;
};

// A set of pack kinds.
class TPackSet {
public:
  bool Contains(TSmilePack pack) const { return (bits_ >> pack) & 1u; }
  void Include(TSmilePack pack) { bits_ = static_cast<unsigned char>(bits_ | (1u << pack)); }
  void Exclude(TSmilePack pack) { bits_ = static_cast<unsigned char>(bits_ & ~(1u << pack)); }
  bool Empty() const { return bits_ == 0; }

private:
  unsigned char bits_ = 0;
};

enum TErrorKind { ekLoadError = 0, ekMissingPicture = 1, ekNoSymbols = 2 };

// One entry of the smile list: the caption shown for the smile (UTF-8) and the smile.
struct TSmileItem {
  std::string Caption;
  std::unique_ptr<TSmile> Smile;
};

// What FillList hands out: captions with borrowed smiles.
struct TListItem {
  std::string Caption;
  TSmile* Smile = nullptr;
};
using TSmileListView = std::vector<TListItem>;

class TDefineDecoder {
public:
  // Events. Each is optional; an unset event is skipped and its answer keeps the default the
  // caller put in the reference parameter.
  using TNotifyEvent = std::function<void(TDefineDecoder* sender)>;
  using TStageEvent =
      std::function<void(TDefineDecoder* sender, unsigned char stage, int min, int max)>;
  using TProgressEvent = std::function<void(TDefineDecoder* sender, const std::string& fileName,
                                            int position, int errors)>;
  // Symbol is display text (UTF-8): the line's leading symbol, or NoneText.
  using TMissingFileEvent = std::function<void(
      TDefineDecoder* sender, bool& skip, bool& forAll, const std::string& currentFile,
      const std::string& nextFile, const std::string& symbol, TSmile* smile)>;
  using TEmptyLineEvent = std::function<void(TDefineDecoder* sender, bool& keep, bool& forAll,
                                             const std::string& fileName, TSmile* smile)>;
  // Answer: 0 save first, 1 go on without saving, 2 cancel.
  using TSaveQueryEvent = std::function<void(TDefineDecoder* sender, unsigned char& answer)>;
  using TChooseFolderEvent =
      std::function<void(TDefineDecoder* sender, bool both, std::string& path, bool& ok)>;
  // Asked before a save writes into Folder when what is there is not what the model last saw:
  // another pack (SmileCount: the lines of its definition file) or, with ChangedOutside, the
  // pack's own folder changed outside the editor since it was opened or saved. Replace starts
  // false: the default keeps what is there, and the save writes nothing.
  using TReplaceQueryEvent =
      std::function<void(TDefineDecoder* sender, const std::string& folder, int smileCount,
                         bool changedOutside, bool& replace)>;

  // Stages reported through OnStage.
  enum TStage : unsigned char { stPrepare = 0, stReadDefine = 1, stCheck = 2, stLoad = 3 };

  // Builds the model on the storages of the workspace ("Storage", or the host tool's
  // workspace); loads nothing.
  explicit TDefineDecoder(const std::string& workspaceName);
  // Unloads (writing each loaded pack's definition file) and frees everything.
  ~TDefineDecoder();
  TDefineDecoder(const TDefineDecoder&) = delete;
  TDefineDecoder& operator=(const TDefineDecoder&) = delete;

  // ---- State (read directly by the main window) ----
  int LoadErrors[2] = {0, 0};
  int MissingPictures[2] = {0, 0};
  int NoSymbolSmiles[2] = {0, 0};
  // Definition lines past the last position a pack can hold, left out by the last opening.
  int SurplusLines[2] = {0, 0};
  bool BothPacks = false;
  TSmilePack ActivePack = spAnimated;
  bool Loaded = false;
  bool BothPathsAssigned = false;
  TPackSet LoadedPacks;
  TPackSet SourceAssigned;
  std::vector<TSmileItem> Smiles[2];
  std::string DefinePath[2];
  std::string StorageFolder[2];
  std::string SourcePath[2];
  std::string BothPath;
  std::string TempFolder;
  int TotalLoadErrors = 0;
  std::unique_ptr<TStorageManager> PackStorages[2];
  bool Hosted = false;
  std::string HostPath;
  std::unique_ptr<TStorageManager> ConfigStorage;
  std::unique_ptr<TConfigManager> Config;
  // The user interface's words for "none" and "error" in the current language (UTF-8).
  std::string NoneText = "Нет";
  std::string ErrorText = "Ошибка";

  TNotifyEvent OnBeginOperation;
  TNotifyEvent OnEndOperation;
  TStageEvent OnStage;
  TProgressEvent OnProgress;
  TMissingFileEvent OnMissingFile;
  TEmptyLineEvent OnEmptyLine;
  TSaveQueryEvent OnSaveQuery;
  TChooseFolderEvent OnChooseFolder;
  TReplaceQueryEvent OnReplaceQuery;
  TNotifyEvent OnPackClosing;

  // ---- Construction and state ----
  void SetActivePack(TSmilePack pack);
  void SetBothPacks(bool value);
  void SetHostPath(const std::string& path);
  void UnloadAll();

  // ---- The active pack ----
  int SmileCount() const;
  TSmile* GetSmile(int index) const;
  bool FillList(TSmileListView& strings) const;
  void RefreshCaptions();
  bool FindSymbol(const std::string& symbol, int& smileIndex, int& symbolIndex) const;

  // ---- Definition file of the active pack ----
  std::string PictureFileName(int index) const;
  bool ReadDefineFile(std::vector<std::string>& lines);
  static void ParseSymbols(const std::string& line, std::vector<std::string>& symbols);
  bool WriteDefineFile();

  // ---- Editing the active pack ----
  // Every edit below, and every change of a loaded smile's symbols, is one step of the active
  // pack's history, which Undo and Redo walk.
  TSmile* AddSmile(const std::string& fileName);
  TSmile* InsertSmile(int index, const std::string& fileName);
  // Adds smiles on the files at Index (SmileCount() adds them at the end), as one step; every
  // file is taken or none. The number of smiles added.
  int AddSmiles(const std::vector<std::string>& fileNames, int index);
  // Moves the smile at From to To with its picture; the smiles between shift by one place.
  bool MoveSmile(int from, int to);
  TSmile* ReplacePicture(int index, const std::string& fileName);
  bool ExchangeSmiles(int a, int b);
  bool DeleteSmile(int index);
  bool DeletePicture(int index);
  void SymbolsChanged();

  // ---- Undo and redo of the active pack's edits ----
  bool CanUndo() const;
  bool CanRedo() const;
  // What an undo or a redo would do; only when CanUndo or CanRedo.
  TStepSummary NextUndo() const;
  TStepSummary NextRedo() const;
  // Undoes (redoes) the active pack's last (next) step; Smile and Symbol take the selection
  // that goes back to what the step touched (Symbol -1 for a step of smiles). False when there
  // is nothing to undo (redo), or the step can't be read.
  bool Undo(int& smile, int& symbol);
  bool Redo(int& smile, int& symbol);

  // ---- Opening ----
  void LoadFromStorage();
  bool NewPack();
  // After the save question, replaces the active pack by a new pack of these smiles (made
  // elsewhere, such as from another messenger's theme), which has no target yet. Smiles past
  // the last position are left out.
  bool NewPackFrom(const std::vector<TPackSmile>& smiles);
  bool OpenPack(const std::string& path);
  // Asks the save question (OnSaveQuery) when a pack the command would replace IsChanged, and
  // saves when told to; false when the command must not go on.
  bool QuerySaveChanges();
  void ResetPackStorage();
  bool ImportPack(const std::string& folder);
  bool CheckFiles(std::vector<std::string>& lines);
  bool LoadSmiles(const std::vector<std::string>& lines);
  bool CreateEmptyFile(const std::string& path);

  // ---- Saving and closing ----
  int ErrorCount(int kind) const;
  bool HasErrors() const;
  // True when the working copy of Pack differs from what it was when last opened or saved: its
  // storage's print is not the one stored then. A pack that was never saved is changed once it
  // holds a line or a picture; a pack of a storage that holds no prints (kept by an earlier
  // version) always counts as changed. False for a pack that is not loaded. Read from the
  // files, so it holds across restarts.
  bool IsChanged(TSmilePack pack) const;
  bool SavePack();
  bool SavePackAs(const std::string& path);
  bool ClosePack();
  bool ExportToSource();
  bool ExportToFolder(const std::string& folder);
  bool ClosePackStorage();

  // True when Folder lies inside this program's storage tree, where a pack must never be
  // opened from or saved to (doing so would delete the working copy it copies).
  bool IsInsideStorageTree(const std::string& folder) const;
  // True when the state files can hold Folder as a pack's folder and give it back exactly.
  static bool IsStorableFolder(const std::string& folder);

private:
  // Throws EPackError when a change of the active pack's storage that a stop cut short can't
  // be completed: nothing in that storage may change until it is.
  void EnsureRecovered();
  // Throws EPackError when the state files could not hold Folder.
  static void RequireStorable(const std::string& folder);
  // A change of one pack's storage, and what the model does once it is made.
  struct TPackChange {
    TSmilePack Pack;
    std::shared_ptr<TStorageJournal> Journal;
    std::function<void()> Apply;
  };
  // Commits the changes as one (a stop leaves all of them made or none), then applies each with
  // its pack active. When the changes are written down but could not be carried out to the
  // end, the model still takes the new state (the next start completes the storage) and
  // EPackError follows.
  void CommitChanges(const std::vector<TPackChange>& changes);
  template <typename Apply>
  void CommitChange(std::shared_ptr<TStorageJournal> journal, Apply apply) {
    CommitChanges({{ActivePack, std::move(journal), apply}});
  }
  // The changes that start a new pack in, import the incoming pack into, and close the active
  // pack's storage.
  TPackChange ResetChange(const std::vector<TPackSmile>& smiles = {});
  TPackChange ImportChange();
  TPackChange CloseChange();
  // The active pack's smiles in order, and the definition file's bytes for an order of smiles
  // (a null entry is a smile without symbols).
  std::vector<const TSmile*> Order() const;
  static std::string DefineContent(const std::vector<const TSmile*>& order);
  // Positions of the active pack's storage that hold a picture file, with a line or without,
  // in ascending order.
  std::vector<int> PicturePositions() const;
  // Puts the picture file a user chose at Target in the form the pack stores: a copy when it
  // already is one, else converted. Throws EPackError when it is no picture a smile can take;
  // false when it is gone or can't be written.
  bool StorePicture(const std::string& fileName, const std::string& target, bool flush = true);
  // Records Step as the active pack's newest step and makes it: the pictures it adds wait at
  // their staged names already.
  void PushStep(TPackStep& step, const std::vector<std::string>& staged);
  // Moves smile From to To (the smiles between shift by one) or, with Exchange, swaps the two:
  // one step that only moves pictures and rewrites the definition file.
  bool Reorder(int from, int to, bool exchange);
  // Runs a step forward (redo) or backward (undo) with the history's new state, as one
  // committed change, and takes the pack as it then is.
  void RunStep(const TPackStep& step, bool forward, bool staged, const std::string& state);
  // Brings the smiles to the pack a step has just made: smiles whose pictures only moved follow
  // them, others are made anew, and every smile takes its line's symbols.
  void TakeStep(const TPackStep& step, bool forward);
  // A change of a smile's symbols, recorded as a step.
  void SymbolsChangedIn(TSmile& smile);
  bool Walk(bool undo, int& smile, int& symbol);
  // Opening in two steps: the pack is copied into the storage's incoming folder and checked
  // there, then replaces what the storage holds in one committed change.
  void PrepareImport(const std::string& folder);
  void DiscardIncoming();
  // Where the pack being opened is copied: the incoming folder, or the storage folder itself
  // when it holds no pack.
  std::string IncomingFolder() const;
  // Removes what a storage that holds no pack still has of one (an open cut short).
  void ClearUnloadedStorage(TSmilePack pack);
  // A pack and the folder it is saved into.
  struct TExportTarget {
    TSmilePack pack;
    std::string folder;
  };
  // Saves the packs into their folders as one recorded change; each folder becomes its pack's
  // folder, with the prints of the pack there and in its storage. False when a folder can't
  // take a pack; throws EPackError when the save fails.
  bool ExportAll(const std::vector<TExportTarget>& targets);
  // Copies a pack into the save's temporary files in its folder, and plans what goes.
  void PrepareExport(const TExportTarget& target, TSaveJournal& save);
  // In a folder that held a pack: the pictures of positions the pack no longer holds, and other
  // spellings of the names written (Names: the pack's files).
  void PlanStaleRemovals(const TExportTarget& target, const std::vector<std::string>& names,
                         TSaveJournal& save) const;
  // Each pack's folder becomes its folder, with the prints of the pack there and in its
  // storage, as one change of their storages.
  void AssignFolders(const std::vector<TExportTarget>& targets);
  // The workspace's record of a save under way.
  std::string SaveRecordPath() const;
  // Before the active pack is saved into Folder: true when the save may replace what is there,
  // which OnReplaceQuery decides where the folder holds another pack or the pack's own folder
  // changed since it was opened or saved. Hosted runs never ask.
  bool ConfirmReplace(const std::string& folder);
  // A picture of the folder being checked (the incoming folder while opening).
  std::string PicturePath(int index) const;
  // Root's sub-folder of the pack ("Static" or "Animated", found without regard to letter
  // case), ending in "/".
  std::string PackFolderIn(const std::string& root, TSmilePack pack) const;
  std::string StoragePicture(int index) const;
  std::string Caption(int index) const;
  void Connect(TSmile& smile);
  // A smile of the active pack's kind on the picture FileName; the frames stay with KeepFrames
  // (a smile shown in a question), not for the pack's own smiles.
  std::unique_ptr<TSmile> MakeSmile(const std::string& fileName, bool keepFrames = false) const;
  void FreeSmiles();
  void StoreBothPath(bool assigned, const std::string& path);
  void StoreHostOrEmptyBothPath();
  bool ExportTo(const std::string& folder);
  void Progress(const std::string& fileName, int position, int errors);
  void Stage(TStage stage, int min, int max);
  // Runs Fn for Static, then Animated (skipping packs not loaded when onlyLoaded), as the
  // active pack, and restores the active pack afterwards, also when Fn throws.
  template <typename Fn>
  void ForEachPack(bool onlyLoaded, Fn fn);

  std::string storageRoot_;
  // The workspace's own folder (the storages' parent), ending in "/"; empty without one.
  std::string workspace_;
  std::unique_ptr<TPackHistory> history_[2];
  std::string checkFolder_;
  std::vector<std::string> incomingLines_[2];
  bool incomingDirect_[2] = {false, false};
  std::string incomingSource_[2];
  std::string incomingPrint_[2];  // of the source folder, taken before its files were copied
};

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
