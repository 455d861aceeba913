// SPDX-License-Identifier: GPL-3.0-or-later
#include "PackHistory.h"

#include <algorithm>
#include <set>
#include <sstream>

#include "Files.h"
#include "StorageManager.h"

namespace {

constexpr const char* kStateHeader = "fennimo-history 1";
constexpr const char* kStepHeader = "fennimo-step 1";

bool ValidPosition(int p) { return p >= 0 && p < MaxSmiles; }

// A step id: "s" and digits.
bool ValidId(const std::string& id) {
  return id.size() >= 2 && id.size() <= 12 && id[0] == 's' &&
         std::all_of(id.begin() + 1, id.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The id a file of the history folder belongs to ("s12" of "s12.step" and "s12-r0.gif").
std::string IdOf(const std::string& name) { return name.substr(0, name.find_first_of(".-")); }

// A kept picture's name: the id, "-r" or "-a", a number, the pack's extension.
bool ValidKept(const std::string& name) {
  auto dash = name.find('-');
  if (dash == std::string::npos || !ValidId(name.substr(0, dash))) return false;
  auto dot = name.find('.', dash);
  if (dot == std::string::npos || dot < dash + 3 || (name[dash + 1] != 'r' && name[dash + 1] != 'a'))
    return false;
  std::string ext = name.substr(dot);
  return std::all_of(name.begin() + static_cast<long>(dash) + 2, name.begin() + static_cast<long>(dot),
                     [](char c) { return c >= '0' && c <= '9'; }) &&
         (ext == PackExtension(spStatic) || ext == PackExtension(spAnimated));
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The step's file

std::string SerializeStep(const TPackStep& step) {
  std::ostringstream out;
  out << kStepHeader << "\n"
      << "kind " << int(step.Kind) << " " << step.Smile << " " << step.Target << " " << step.Count
      << " " << step.Symbol << "\n";
  for (const auto& [from, to] : step.Moves) out << "move " << from << " " << to << "\n";
  for (const auto& [at, kept] : step.Removed) out << "removed " << at << " " << kept << "\n";
  for (const auto& [at, kept] : step.Added) out << "added " << at << " " << kept << "\n";
  out << "before " << step.DefineBefore.size() << "\n" << step.DefineBefore << "\n";
  out << "after " << step.DefineAfter.size() << "\n" << step.DefineAfter << "\n";
  return platform::WithChecksum(out.str());
}

bool ParseStep(const std::string& text, TPackStep& step) {
  std::string body;
  if (!platform::WithoutChecksum(text, body)) return false;
  std::istringstream in(body);
  std::string line;
  if (!std::getline(in, line) || line != kStepHeader) return false;
  step = TPackStep();
  int kind = -1;
  std::string verb;
  if (!(in >> verb >> kind >> step.Smile >> step.Target >> step.Count >> step.Symbol) ||
      verb != "kind" || kind < 0 || kind >= StepKindCount || !ValidPosition(step.Smile) ||
      (step.Target != -1 && !ValidPosition(step.Target)) || step.Count < 0 ||
      step.Count > MaxSmiles)
    return false;
  step.Kind = static_cast<TStepKind>(kind);
  while (in >> verb) {
    if (verb == "move") {
      int from = -1, to = -1;
      if (!(in >> from >> to) || !ValidPosition(from) || !ValidPosition(to)) return false;
      step.Moves.emplace_back(from, to);
    } else if (verb == "removed" || verb == "added") {
      int at = -1;
      std::string kept;
      if (!(in >> at >> kept) || !ValidPosition(at) || !ValidKept(kept)) return false;
      (verb == "removed" ? step.Removed : step.Added).emplace_back(at, kept);
    } else if (verb == "before" || verb == "after") {
      std::size_t size = 0;
      if (!(in >> size) || in.get() != '\n' || size > body.size()) return false;
      std::string bytes(size, '\0');
      if (!in.read(bytes.data(), static_cast<std::streamsize>(size)) || in.get() != '\n')
        return false;
      (verb == "before" ? step.DefineBefore : step.DefineAfter) = std::move(bytes);
    } else {
      return false;
    }
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// The history

TPackHistory::TPackHistory(std::string folder, TSmilePack kind)
    : folder_(std::move(folder)), kind_(kind) {}

std::string TPackHistory::StateText(const std::vector<TEntry>& steps, int position) const {
  std::ostringstream out;
  out << kStateHeader << "\nposition " << position << "\n";
  for (const auto& e : steps)
    out << "step " << e.id << " " << e.bytes << " " << int(e.summary.Kind) << " "
        << e.summary.Smile << " " << e.summary.Count << "\n";
  return platform::WithChecksum(out.str());
}

bool TPackHistory::ParseState(const std::string& text, std::vector<TEntry>& steps,
                              int& position) const {
  std::string body;
  if (!platform::WithoutChecksum(text, body)) return false;
  std::istringstream in(body);
  std::string line, verb;
  if (!std::getline(in, line) || line != kStateHeader) return false;
  if (!(in >> verb >> position) || verb != "position") return false;
  steps.clear();
  while (in >> verb) {
    TEntry e;
    int kind = -1;
    if (verb != "step" ||
        !(in >> e.id >> e.bytes >> kind >> e.summary.Smile >> e.summary.Count) ||
        !ValidId(e.id) || e.bytes < 0 || kind < 0 || kind >= StepKindCount ||
        !ValidPosition(e.summary.Smile))
      return false;
    e.summary.Kind = static_cast<TStepKind>(kind);
    steps.push_back(e);
  }
  return position >= 0 && position <= static_cast<int>(steps.size());
}

bool TPackHistory::Load() {
  std::string text;
  if (!platform::ReadFile(folder_ + StateName, text) || !ParseState(text, steps_, position_)) {
    steps_.clear();
    position_ = 0;
    return false;
  }
  return true;
}

bool TPackHistory::ReadNext(bool undo, TPackStep& step) const {
  if (undo ? !CanUndo() : !CanRedo()) return false;
  const TEntry& e = steps_[static_cast<std::size_t>(undo ? position_ - 1 : position_)];
  std::string text;
  return platform::ReadFile(folder_ + e.id + ".step", text) && ParseStep(text, step) &&
         step.Kind == e.summary.Kind;
}

std::string TPackHistory::NewId() const {
  long long next = 1;
  for (const auto& e : steps_) next = std::max(next, std::stoll(e.id.substr(1)) + 1);
  std::string id = "s";
  id.append(std::to_string(next));
  return id;
}

std::string TPackHistory::KeptName(const std::string& id, bool added, int n) const {
  return id + (added ? "-a" : "-r") + std::to_string(n) + PackExtension(kind_);
}

void TPackHistory::WriteStep(const std::string& id, const TPackStep& step) const {
  platform::ForceDirectories(folder_);
  if (!platform::WriteFileAtomic(folder_ + id + ".step", SerializeStep(step)))
    throw platform::EWriteError(folder_ + id + ".step");
}

std::string TPackHistory::StateAfterPush(const std::string& id, const TPackStep& step,
                                         long long bytes) const {
  std::vector<TEntry> steps(steps_.begin(), steps_.begin() + position_);
  steps.push_back({id, bytes, {step.Kind, step.Smile, step.Count}});
  long long total = 0;
  for (const auto& e : steps) total += e.bytes;
  std::size_t drop = 0;
  while (steps.size() - drop > 1 &&
         (static_cast<int>(steps.size() - drop) > MaxSteps || total > MaxBytes))
    total -= steps[drop++].bytes;
  steps.erase(steps.begin(), steps.begin() + static_cast<long>(drop));
  return StateText(steps, static_cast<int>(steps.size()));
}

std::string TPackHistory::StateAfterUndo() const { return StateText(steps_, position_ - 1); }

std::string TPackHistory::StateAfterRedo() const { return StateText(steps_, position_ + 1); }

std::string TPackHistory::StateWithout(bool undoSide) const {
  if (!undoSide)
    return StateText(std::vector<TEntry>(steps_.begin(), steps_.begin() + position_), position_);
  return StateText(std::vector<TEntry>(steps_.begin() + position_, steps_.end()), 0);
}

std::string TPackHistory::EmptyState() {
  return platform::WithChecksum(std::string(kStateHeader) + "\nposition 0\n");
}

void TPackHistory::Committed() {
  // A state that can't be read names nothing: what the folder holds stays until a new state
  // has been committed.
  if (Load()) Collect();
}

void TPackHistory::Collect() const {
  std::set<std::string> ids;
  for (const auto& e : steps_) ids.insert(e.id);
  for (const auto& name : platform::FindFiles(folder_ + "*.*")) {
    if (name == StateName || IsScratchName(name)) continue;
    if (!ids.count(IdOf(name))) platform::DeleteFile(folder_ + name);
  }
}
