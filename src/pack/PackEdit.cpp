// SPDX-License-Identifier: GPL-3.0-or-later
// Editing the active pack. A picture belongs to its position, so reordering, inserting and
// deleting smiles move picture files. Pictures that no definition line holds (a pack folder
// often has more pictures than lines) are the user's too: the run of them that follows the
// last line moves along, so each line keeps its picture and no edit overwrites one.
//
// Every edit is a step of the pack's history (TPackHistory): the pictures it moves, the ones it
// takes out (kept in the history, so an undo can put them back) and puts in, and the definition
// file before and after. Making a step, undoing and redoing it are each one committed change of
// the storage (see TStorageJournal): a stop at any file step leaves the storage, and the
// history, as they were before or as they are after.
#include <algorithm>
#include <array>
#include <exception>
#include <map>

#include "Files.h"
#include "PackSteps.h"
#include "PictureConverter.h"
#include "PictureDecoder.h"

namespace {

// What each position of a pack storage will hold while an edit is planned: the picture now at
// a position (that position), nothing, or the n-th new picture.
class TLayout {
public:
  static constexpr int kEmpty = -1;
  static int NewPicture(int n) { return -2 - n; }

  TLayout(const std::vector<int>& pictures, int lines) : lines_(lines) {
    slots_.fill(kEmpty);
    for (int p : pictures) slots_[static_cast<std::size_t>(p)] = p;
    initial_ = slots_;
  }

  // A new line at Index holding Picture: the pictures from Index to the end of the run after
  // the last line move one place up, into the first free position. False when there is none.
  bool Insert(int index, int picture) {
    int free = FirstFree();
    if (free >= MaxSmiles) return false;
    for (int p = free; p > index; --p) At(p) = At(p - 1);
    At(index) = picture;
    ++lines_;
    return true;
  }

  // The line at Index goes with its picture; the pictures after it, to the end of the run after
  // the last line, move one place down.
  void Delete(int index) {
    int free = FirstFree();
    for (int p = index; p + 1 < free; ++p) At(p) = At(p + 1);
    At(free - 1) = kEmpty;
    --lines_;
  }

  void Exchange(int a, int b) { std::swap(At(a), At(b)); }

  // The line at From goes to To; the ones between shift by one place.
  void Move(int from, int to) {
    int picture = At(from);
    for (int p = from; p != to; p += to > from ? 1 : -1) At(p) = At(to > from ? p + 1 : p - 1);
    At(to) = picture;
  }

  // Puts the planned picture moves and the pictures taken out (their kept names to come) into
  // the step; returns where each new picture goes.
  std::map<int, int> Describe(TPackStep& step) const {
    std::map<int, int> added;
    std::array<bool, MaxSmiles> stays{};
    for (int p = 0; p < MaxSmiles; ++p) {
      int picture = slots_[static_cast<std::size_t>(p)];
      if (picture >= 0) {
        stays[static_cast<std::size_t>(picture)] = true;
        if (picture != p) step.Moves.emplace_back(picture, p);
      } else if (picture != kEmpty) {
        added[-2 - picture] = p;
      }
    }
    for (int p = 0; p < MaxSmiles; ++p)
      if (initial_[static_cast<std::size_t>(p)] >= 0 && !stays[static_cast<std::size_t>(p)])
        step.Removed.emplace_back(p, "");
    return added;
  }

private:
  int& At(int p) { return slots_[static_cast<std::size_t>(p)]; }
  int FirstFree() const {
    int free = lines_;
    while (free < MaxSmiles && slots_[static_cast<std::size_t>(free)] != kEmpty) ++free;
    return free;
  }

  std::array<int, MaxSmiles> slots_, initial_;
  int lines_;
};

}  // namespace

bool TDefineDecoder::StorePicture(const std::string& fileName, const std::string& target,
                                  bool flush) {
  TConvertedPicture picture = ConvertPicture(
      fileName, ActivePack == spStatic ? TPictureFormat::Bmp : TPictureFormat::Gif);
  switch (picture.error) {
    case TConvertError::None:
      break;
    case TConvertError::TooLarge:
    case TConvertError::TooManyFrames:
      throw EPackError(EPackError::pkPictureTooLarge, fileName);
    case TConvertError::CannotOpen:
      if (!platform::FileExists(fileName)) return false;
      [[fallthrough]];
    default:
      throw EPackError(EPackError::pkNotAPicture, fileName);
  }
  return picture.unchanged ? platform::CopyFileReplace(fileName, target, flush)
                           : platform::WriteFileAtomic(target, picture.bytes, flush);
}

// ---------------------------------------------------------------------------------------------
// Steps

void TDefineDecoder::PushStep(TPackStep& step, const std::vector<std::string>& staged) {
  TPackHistory& history = *history_[ActivePack];
  std::string id = history.NewId();
  long long bytes = 0;
  for (auto& [at, kept] : step.Removed) {
    kept = history.KeptName(id, false, static_cast<int>(&kept - &step.Removed.front().second));
    bytes += platform::FileSize(StoragePicture(at));
  }
  for (std::size_t n = 0; n < step.Added.size(); ++n) {
    step.Added[n].second = history.KeptName(id, true, static_cast<int>(n));
    bytes += platform::FileSize(staged[n]);
  }
  try {
    history.WriteStep(id, step);
  } catch (...) {
    for (const auto& file : staged) platform::DeleteFile(file);
    throw;
  }
  RunStep(step, true, true, history.StateAfterPush(id, step, bytes));
}

void TDefineDecoder::RunStep(const TPackStep& step, bool forward, bool staged,
                             const std::string& state) {
  TSmilePack a = ActivePack;
  auto journal = NewJournal(*PackStorages[a]);
  for (const auto& [at, kept] : forward ? step.Removed : step.Added)
    journal->Keep(PictureFileName(at), kept);
  for (const auto& [from, to] : step.Moves)
    journal->Move(PictureFileName(forward ? from : to), PictureFileName(forward ? to : from));
  for (const auto& [at, kept] : forward ? step.Added : step.Removed) {
    if (staged)
      journal->Place(PictureFileName(at));
    else
      journal->Restore(kept, PictureFileName(at));
  }
  journal->SetDefine(forward ? step.DefineAfter : step.DefineBefore);
  journal->SetHistoryFile(TPackHistory::StateName, state);
  CommitChange(journal, [&] {
    history_[a]->Committed();
    TakeStep(step, forward);
  });
}

void TDefineDecoder::TakeStep(const TPackStep& step, bool forward) {
  auto& smiles = Smiles[ActivePack];
  std::vector<std::string> lines;
  SplitDefineLines(forward ? step.DefineAfter : step.DefineBefore, lines);
  // Where each position's picture was before the step; -1 when it is new to the model.
  std::map<int, int> movedFrom;
  std::array<bool, MaxSmiles> touched{};
  for (const auto& [from, to] : step.Moves) {
    movedFrom[forward ? to : from] = forward ? from : to;
    touched[static_cast<std::size_t>(from)] = touched[static_cast<std::size_t>(to)] = true;
  }
  for (const auto* list : {&step.Removed, &step.Added})
    for (const auto& [at, kept] : *list) touched[static_cast<std::size_t>(at)] = true;

  std::vector<TSmileItem> taken(lines.size());
  for (std::size_t p = 0; p < lines.size(); ++p) {
    int at = static_cast<int>(p);
    int origin = movedFrom.count(at) ? movedFrom[at] : touched[p] ? -1 : at;
    if (origin >= 0 && origin < SmileCount() && smiles[static_cast<std::size_t>(origin)].Smile)
      taken[p].Smile = std::move(smiles[static_cast<std::size_t>(origin)].Smile);
    else
      taken[p].Smile = MakeSmile(StoragePicture(at));
    std::vector<std::string> symbols;
    ::ParseSymbols(lines[p], symbols);
    TSmile& smile = *taken[p].Smile;
    if (smile.Symbols.Items() != symbols) {
      smile.Symbols.OnChange = nullptr;
      smile.Symbols.Assign(std::move(symbols));
    }
    Connect(smile);
  }
  smiles = std::move(taken);
  RefreshCaptions();
}

// ---------------------------------------------------------------------------------------------
// Editing

int TDefineDecoder::AddSmiles(const std::vector<std::string>& fileNames, int index) {
  if (fileNames.empty() || index < 0 || index > SmileCount()) return 0;
  for (const auto& file : fileNames)
    if (!platform::FileExists(file)) return 0;
  EnsureRecovered();
  TLayout layout(PicturePositions(), SmileCount());
  std::vector<const TSmile*> order = Order();
  TPackStep step;
  step.Kind = index == SmileCount() ? skAddSmiles : skInsertSmiles;
  step.Smile = index;
  step.Count = static_cast<int>(fileNames.size());
  step.DefineBefore = DefineContent(order);
  for (int n = 0; n < step.Count; ++n) {
    if (!layout.Insert(index + n, TLayout::NewPicture(n))) return 0;
    order.insert(order.begin() + index + n, nullptr);
  }
  step.DefineAfter = DefineContent(order);
  std::map<int, int> added = layout.Describe(step);

  // Every picture is taken, in the form the pack stores, before anything changes.
  auto journal = NewJournal(*PackStorages[ActivePack]);
  std::vector<std::string> staged;
  bool stored = true;
  std::exception_ptr error;
  try {
    for (int n = 0; n < step.Count && stored; ++n) {
      staged.push_back(journal->StagedPath(PictureFileName(added[n])));
      stored = StorePicture(fileNames[static_cast<std::size_t>(n)], staged.back());
      step.Added.emplace_back(added[n], "");
    }
  } catch (...) {
    error = std::current_exception();
    stored = false;
  }
  if (!stored) {
    for (const auto& file : staged) platform::DeleteFile(file);
    if (error) std::rethrow_exception(error);
    return 0;
  }
  PushStep(step, staged);
  return step.Count;
}

TSmile* TDefineDecoder::AddSmile(const std::string& fileName) {
  int index = SmileCount();
  return AddSmiles({fileName}, index) ? GetSmile(index) : nullptr;
}

TSmile* TDefineDecoder::InsertSmile(int index, const std::string& fileName) {
  // Adding at the end is AddSmile's.
  if (index < 0 || index >= SmileCount()) return nullptr;
  return AddSmiles({fileName}, index) ? GetSmile(index) : nullptr;
}

TSmile* TDefineDecoder::ReplacePicture(int index, const std::string& fileName) {
  if (!platform::FileExists(fileName) || index < 0 || index >= SmileCount()) return nullptr;
  EnsureRecovered();
  TPackStep step;
  step.Kind = skReplacePicture;
  step.Smile = index;
  step.DefineBefore = step.DefineAfter = DefineContent(Order());
  if (platform::FileExists(StoragePicture(index))) step.Removed.emplace_back(index, "");
  std::string staged =
      TStorageJournal(*PackStorages[ActivePack]).StagedPath(PictureFileName(index));
  if (!StorePicture(fileName, staged)) return nullptr;
  step.Added.emplace_back(index, "");
  PushStep(step, {staged});
  return GetSmile(index);
}

bool TDefineDecoder::ExchangeSmiles(int a, int b) { return Reorder(a, b, true); }

bool TDefineDecoder::MoveSmile(int from, int to) { return Reorder(from, to, false); }

bool TDefineDecoder::Reorder(int from, int to, bool exchange) {
  if (from < 0 || to < 0 || from >= SmileCount() || to >= SmileCount()) return false;
  if (from == to) return true;
  EnsureRecovered();
  TLayout layout(PicturePositions(), SmileCount());
  TPackStep step;
  step.Kind = skMoveSmile;
  step.Smile = from;
  step.Target = to;
  std::vector<const TSmile*> order = Order();
  step.DefineBefore = DefineContent(order);
  if (exchange) {
    layout.Exchange(from, to);
    std::swap(order[static_cast<std::size_t>(from)], order[static_cast<std::size_t>(to)]);
  } else {
    layout.Move(from, to);
    const TSmile* moved = order[static_cast<std::size_t>(from)];
    order.erase(order.begin() + from);
    order.insert(order.begin() + to, moved);
  }
  step.DefineAfter = DefineContent(order);
  layout.Describe(step);
  PushStep(step, {});
  return true;
}

bool TDefineDecoder::DeleteSmile(int index) {
  if (index < 0 || index >= SmileCount()) return false;
  EnsureRecovered();
  TLayout layout(PicturePositions(), SmileCount());
  layout.Delete(index);
  TPackStep step;
  step.Kind = skDeleteSmile;
  step.Smile = index;
  std::vector<const TSmile*> order = Order();
  step.DefineBefore = DefineContent(order);
  order.erase(order.begin() + index);
  step.DefineAfter = DefineContent(order);
  layout.Describe(step);
  PushStep(step, {});
  return true;
}

bool TDefineDecoder::DeletePicture(int index) {
  if (index < 0 || index >= SmileCount()) return false;
  EnsureRecovered();
  TPackStep step;
  step.Kind = skDeletePicture;
  step.Smile = index;
  step.DefineBefore = step.DefineAfter = DefineContent(Order());
  if (platform::FileExists(StoragePicture(index))) step.Removed.emplace_back(index, "");
  PushStep(step, {});
  return true;
}

// ---------------------------------------------------------------------------------------------
// Symbols

void TDefineDecoder::SymbolsChanged() {
  WriteDefineFile();
  RefreshCaptions();
}

void TDefineDecoder::SymbolsChangedIn(TSmile& smile) {
  // The smile may belong to the pack that is not active.
  TSmilePack previous = ActivePack;
  for (TSmilePack pack : AllPacks)
    for (const auto& item : Smiles[pack])
      if (item.Smile.get() == &smile) ActivePack = pack;
  struct TRestore {
    TDefineDecoder& model;
    TSmilePack pack;
    ~TRestore() { model.ActivePack = pack; }
  } restore{*this, previous};
  if (!LoadedPacks.Contains(ActivePack)) return;
  EnsureRecovered();
  int index = 0;
  while (index < SmileCount() && GetSmile(index) != &smile) ++index;
  TPackStep step;
  const auto& change = smile.Symbols.LastChange;
  switch (change.Kind) {
    case TSymbolList::scAdd:
    case TSymbolList::scInsert: step.Kind = skAddSymbol; break;
    case TSymbolList::scDelete:
    case TSymbolList::scClear: step.Kind = skDeleteSymbol; break;
    case TSymbolList::scExchange: step.Kind = skMoveSymbol; break;
    default: step.Kind = skEditSymbol; break;
  }
  step.Smile = index;
  step.Symbol = change.Index;
  step.Target = change.Other;
  platform::ReadFile(DefinePath[ActivePack], step.DefineBefore);
  step.DefineAfter = DefineContent(Order());
  // The smiles already hold the change: the step only writes it down.
  TPackHistory& history = *history_[ActivePack];
  std::string id = history.NewId();
  history.WriteStep(id, step);
  auto journal = NewJournal(*PackStorages[ActivePack]);
  journal->SetDefine(step.DefineAfter);
  journal->SetHistoryFile(TPackHistory::StateName, history.StateAfterPush(id, step, 0));
  // A change written down but not carried out to the end completes at the next start; the
  // smiles show it already, so it is not undone here.
  journal->Commit();
  history.Committed();
  RefreshCaptions();
}

// ---------------------------------------------------------------------------------------------
// Undo and redo

bool TDefineDecoder::CanUndo() const { return history_[ActivePack]->CanUndo(); }

bool TDefineDecoder::CanRedo() const { return history_[ActivePack]->CanRedo(); }

TStepSummary TDefineDecoder::NextUndo() const { return history_[ActivePack]->NextUndo(); }

TStepSummary TDefineDecoder::NextRedo() const { return history_[ActivePack]->NextRedo(); }

bool TDefineDecoder::Undo(int& smile, int& symbol) { return Walk(true, smile, symbol); }

bool TDefineDecoder::Redo(int& smile, int& symbol) { return Walk(false, smile, symbol); }

bool TDefineDecoder::Walk(bool undo, int& smile, int& symbol) {
  if (!LoadedPacks.Contains(ActivePack)) return false;
  EnsureRecovered();
  TPackHistory& history = *history_[ActivePack];
  TPackStep step;
  if (!history.ReadNext(undo, step)) {
    // A step that can't be read can't be walked past: the steps on its side go, and the pack
    // stays as it is.
    if (undo ? history.CanUndo() : history.CanRedo()) {
      auto journal = NewJournal(*PackStorages[ActivePack]);
      journal->SetHistoryFile(TPackHistory::StateName, history.StateWithout(undo));
      journal->Commit();
      history.Committed();
    }
    return false;
  }
  RunStep(step, !undo, false, undo ? history.StateAfterUndo() : history.StateAfterRedo());
  bool symbolStep = step.Kind >= skAddSymbol;
  smile = step.Smile;
  if (!undo && !symbolStep)
    smile = step.Target >= 0 ? step.Target : step.Smile + std::max(step.Count, 1) - 1;
  smile = std::min(smile, SmileCount() - 1);
  symbol = -1;
  if (symbolStep) {
    symbol = !undo && step.Target >= 0 ? step.Target : step.Symbol;
    int count = smile >= 0 ? GetSmile(smile)->Symbols.Count() : 0;
    symbol = std::min(symbol, count - 1);
  }
  return true;
}
