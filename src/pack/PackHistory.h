// SPDX-License-Identifier: GPL-3.0-or-later
// The undo history of one pack: every edit is a step that can be undone and redone, kept in the
// history folder of the pack's storage (TStorageJournal::HistoryFolder: in the workspace, never
// inside the storage folder, so nothing of it travels with a saved pack) and written through in
// the same committed change as the edit itself, so a restart or a crash keeps it.
//
// The folder holds the file "State" (the steps in order and how many of them are done; the rest
// can be redone), one file per step ("<id>.step") and the pictures the steps need back
// ("<id>-r0.gif": removed by the step, "<id>-a0.gif": added by it, kept there while undone).
// Files the state does not name are left over from a change that never committed and go.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "DefineFile.h"

enum TStepKind : unsigned char {
  skAddSmiles = 0,
  skInsertSmiles,
  skDeleteSmile,
  skReplacePicture,
  skDeletePicture,
  skMoveSmile,
  skAddSymbol,
  skEditSymbol,
  skDeleteSymbol,
  skMoveSymbol,
  StepKindCount
};

// One step: what it did, for the user, and what it changed, for undoing and redoing it.
struct TPackStep {
  TStepKind Kind = skAddSmiles;
  int Smile = 0;    // the smile it touched (the first of several added; where a move started)
  int Target = -1;  // where a moved smile went
  int Count = 1;    // smiles it added
  int Symbol = -1;  // the symbol it touched
  std::string DefineBefore, DefineAfter;
  std::vector<std::pair<int, int>> Moves;             // pictures moved: (from, to) positions
  std::vector<std::pair<int, std::string>> Removed;   // pictures it took out: position, kept file
  std::vector<std::pair<int, std::string>> Added;     // pictures it put in: position, kept file
};

// What the user sees of a step without reading it.
struct TStepSummary {
  TStepKind Kind = skAddSmiles;
  int Smile = 0;
  int Count = 1;
};

class TPackHistory {
public:
  // The oldest steps go first once there are more of them, or their pictures take more room.
  static constexpr int MaxSteps = 1000;
  static constexpr long long MaxBytes = 64ll << 20;

  TPackHistory(std::string folder, TSmilePack kind);

  // Reads the state; one that fails its checks (false) reads as an empty history.
  bool Load();
  bool CanUndo() const { return position_ > 0; }
  bool CanRedo() const { return position_ < static_cast<int>(steps_.size()); }
  const TStepSummary& NextUndo() const { return steps_[static_cast<std::size_t>(position_ - 1)].summary; }
  const TStepSummary& NextRedo() const { return steps_[static_cast<std::size_t>(position_)].summary; }

  // Reads the step an undo (or a redo) would run; false when its file fails its checks.
  bool ReadNext(bool undo, TPackStep& step) const;

  // A new step's id, and the names of its kept pictures.
  std::string NewId() const;
  std::string KeptName(const std::string& id, bool added, int n) const;
  // Writes a new step's file, flushed, before the change that records it; throws
  // platform::EWriteError when it can't.
  void WriteStep(const std::string& id, const TPackStep& step) const;

  // The state after pushing a new step (redo steps dropped, then the oldest beyond the
  // bounds), after an undo or a redo, and with no steps. Bytes: the size of the pictures the
  // new step keeps.
  std::string StateAfterPush(const std::string& id, const TPackStep& step, long long bytes) const;
  std::string StateAfterUndo() const;
  std::string StateAfterRedo() const;
  // The state without the steps an undo (or a redo) would walk, for when the next of them
  // can't be read: nothing can be walked past it.
  std::string StateWithout(bool undoSide) const;
  static std::string EmptyState();
  static constexpr const char* StateName = "State";

  // Once the change that wrote the state has committed: reads it and removes every file of the
  // folder that it does not name (nothing when it can't be read).
  void Committed();

  const std::string& Folder() const { return folder_; }

private:
  struct TEntry {
    std::string id;
    long long bytes = 0;
    TStepSummary summary;
  };
  std::string StateText(const std::vector<TEntry>& steps, int position) const;
  bool ParseState(const std::string& text, std::vector<TEntry>& steps, int& position) const;
  void Collect() const;

  std::string folder_;
  TSmilePack kind_;
  std::vector<TEntry> steps_;
  int position_ = 0;
};

// The step's file as text, and back; false when the text fails its checks.
std::string SerializeStep(const TPackStep& step);
bool ParseStep(const std::string& text, TPackStep& step);
