// SPDX-License-Identifier: GPL-3.0-or-later
// fennimo-pack check PACKDIR: tells a pack author what opening the pack in the program would
// find, without opening it there. The folder is only read: nothing in it is moved or written,
// and no working storage is made, so the pack's model is not used; its building blocks are.
//
// Opening copies the pack's files into the storage under lower-case names, keeps every empty
// line and answers every missing picture with "replace" when nobody is asked; the check below
// replays that on a table of names, so what it reports is what an unattended opening does.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "BmpDecoder.h"
#include "Commands.h"
#include "Cp1251.h"
#include "DefineFile.h"
#include "Files.h"
#include "GifDecoder.h"
#include "CodeMatch.h"
#include "CommandSupport.h"
#include "Printable.h"

const char* const CheckUsage =
    "fennimo-pack check [--strict] [--static | --animated] PACKDIR\n"
    "fennimo-pack check [--strict] --both ROOT\n"
    "  Reports what opening the pack in PACKDIR would find, and changes nothing: empty\n"
    "  definition lines, missing pictures with the picture that \"replace\" would move into the\n"
    "  gap, pictures that fail to decode, smiles without symbols, symbols held by more than one\n"
    "  smile (letter case ignored), definition lines past the 676-smile limit, pictures\n"
    "  without a line (they stay with the pack and move along with it), and files the pack\n"
    "  ignores. Other .ini files travel with the pack and are listed, not counted.\n"
    "  The kind follows the pictures: .gif animated, .bmp static. A folder holding both or\n"
    "  neither is taken by its name (Static or Animated), else as animated; --static and\n"
    "  --animated set the kind. --both checks the folders Static and Animated of ROOT.\n"
    "  Output: \"pack DIR: KIND, N smiles\", one indented line per finding, then\n"
    "  \"DIR: no problems\" or \"DIR: N problems (...)\". Symbols are shown as UTF-8.\n"
    "  Code conflicts follow in a section of their own: a symbol of one smile inside a longer\n"
    "  symbol of another, where a messenger that replaces codes in pack order may show the\n"
    "  wrong smile. They are no problem unless --strict counts them as problems.\n"
    "  Exit code 0 when clean, 1 when problems were found, 2 on bad usage or when a folder\n"
    "  can't be read.";

namespace {

// ---- Text for the terminal ----

// A symbol or a definition line (Windows-1251 bytes) in quotes, as UTF-8.
std::string Quoted1251(const std::string& bytes) {
  return Printable(platform::Cp1251ToUtf8(bytes), true);
}

std::string Counted(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// ---- The folder as opening sees it ----

// The regular files of a pack folder under the names they would have in the storage. Opening
// stores every name in lower case; of names that differ only in case, one spelled in lower case
// wins, else the last in name order (it is copied last, over the others).
struct TFolderFiles {
  std::vector<std::string> names;               // every regular file, in name order
  std::map<std::string, std::string> taken;     // lower-case name -> the spelling copied
  std::map<std::string, std::string> shadowed;  // a spelling not copied -> the one copied

  explicit TFolderFiles(const std::string& folder) {
    names = platform::FindFiles(folder + "*.*");
    for (const auto& name : names) {
      std::string lower = AsciiLower(name);
      auto it = taken.find(lower);
      if (it == taken.end() || it->second != lower) taken[lower] = name;
    }
    for (const auto& name : names) {
      const std::string& winner = taken[AsciiLower(name)];
      if (winner != name) shadowed[name] = winner;
    }
  }
  // The spelling that would be stored as Lower, or "" when there is none.
  std::string Find(const std::string& lower) const {
    auto it = taken.find(lower);
    return it == taken.end() ? std::string() : it->second;
  }
};

// ---- The check ----

struct TFindings {
  std::vector<std::string> lines[10];
  enum {
    fDefine, fEmpty, fMissing, fBroken, fNoSymbols, fDuplicate, fPastLimit, fNoLine, fIgnored,
    fInfo
  };
  std::size_t counts[9] = {};
  std::vector<std::string> conflicts;  // a section of their own, not problems by themselves
  void Add(int category, std::string text, std::size_t count = 1) {
    lines[category].push_back(std::move(text));
    if (category != fInfo) counts[category] += count;
  }
  std::size_t Problems() const {
    std::size_t sum = 0;
    for (std::size_t c : counts) sum += c;
    return sum;
  }
};

class TPackCheck {
public:
  TPackCheck(std::string folder, TSmilePack kind, const TFolderFiles& files)
      : folder_(std::move(folder)), kind_(kind), files_(files) {}

  // False when the definition file exists but can't be read.
  bool Run();
  int SmileCount() const { return static_cast<int>(lines_.size()); }
  const TFindings& Findings() const { return findings_; }

private:
  std::string Picture(int position) const { return PictureFileName(position, kind_); }
  std::string LineRef(int position) const;
  bool ReadLines();
  void CheckEmptyLines();
  void ReplaceGaps();
  void DecodePictures();
  void CheckSymbols();
  void CheckConflicts();
  void ListIgnoredFiles();

  std::string folder_;
  TSmilePack kind_;
  const TFolderFiles& files_;
  std::vector<std::string> lines_;  // the lines opening loads (at most MaxSmiles)
  // For each position, the folder's picture that ends up there after the replaces, or "".
  std::vector<std::string> at_ = std::vector<std::string>(MaxSmiles);
  // For each folder picture moved by a replace, the position it moved to.
  std::map<std::string, int> movedTo_;
  TFindings findings_;
};

bool TPackCheck::Run() {
  if (!ReadLines()) return false;
  CheckEmptyLines();
  ReplaceGaps();
  DecodePictures();
  CheckSymbols();
  CheckConflicts();
  ListIgnoredFiles();
  return true;
}

std::string TPackCheck::LineRef(int position) const {
  std::vector<std::string> symbols;
  ParseSymbols(lines_[static_cast<std::size_t>(position)], symbols);
  std::string ref = "line " + std::to_string(position + 1);
  if (!symbols.empty()) ref += " " + Quoted1251(symbols.front());
  return ref;
}

bool TPackCheck::ReadLines() {
  std::string define = files_.Find(DefineFileName);
  if (define.empty()) {
    findings_.Add(TFindings::fDefine,
                  std::string("no ") + DefineFileName + ": the pack opens without smiles");
    return true;
  }
  if (!ReadDefineLines(folder_ + define, lines_)) return false;
  const int total = static_cast<int>(lines_.size());
  if (total > MaxSmiles) {
    lines_.resize(MaxSmiles);
    const std::size_t surplus = static_cast<std::size_t>(total - MaxSmiles);
    std::string which = surplus == 1 ? "line " + std::to_string(total)
                                     : "lines " + std::to_string(MaxSmiles + 1) + " to " +
                                           std::to_string(total);
    findings_.Add(TFindings::fPastLimit,
                  "past the limit: " + which + " (" + Counted(surplus, "line", "lines") +
                      ") left out; a pack holds " + std::to_string(MaxSmiles) + " smiles",
                  surplus);
  }
  return true;
}

void TPackCheck::CheckEmptyLines() {
  for (int i = 0; i < SmileCount(); ++i)
    if (lines_[static_cast<std::size_t>(i)].empty())
      findings_.Add(TFindings::fEmpty,
                    "empty line " + std::to_string(i + 1) + " (" + Picture(i) + ")");
}

// The missing-picture pass of opening with "replace" as every answer: the nearest following
// picture moves into a gap, and Shift remembers how far ahead the pictures now are.
void TPackCheck::ReplaceGaps() {
  for (int p = 0; p < MaxSmiles; ++p) at_[static_cast<std::size_t>(p)] = files_.Find(Picture(p));
  auto present = [&](int p) { return p < MaxSmiles && !at_[static_cast<std::size_t>(p)].empty(); };
  const int n = SmileCount();
  int shift = 0;
  for (int i = 0; i < n; ++i) {
    if (present(i)) continue;
    std::string text = "missing " + Picture(i) + " (" + LineRef(i);
    std::string own = files_.Find(Picture(i));
    if (!own.empty()) text += ", its picture moved to " + Picture(movedTo_.at(own));
    text += "): ";
    while (i + shift < MaxSmiles && !present(i + shift)) ++shift;
    if (i + shift >= MaxSmiles) {
      // Opening ends its check here; this and every later position load without picture.
      findings_.Add(TFindings::fMissing, text + "no later picture to move in");
      continue;
    }
    std::string& candidate = at_[static_cast<std::size_t>(i + shift)];
    findings_.Add(TFindings::fMissing, text + "replace would move in " + Picture(i + shift));
    movedTo_[candidate] = i;
    at_[static_cast<std::size_t>(i)] = std::move(candidate);
    candidate.clear();
  }
}

void TPackCheck::DecodePictures() {
  for (int i = 0; i < SmileCount(); ++i) {
    const std::string& name = at_[static_cast<std::size_t>(i)];
    if (name.empty()) continue;
    std::string where = "line " + std::to_string(i + 1);
    if (AsciiLower(name) != Picture(i)) where = "moved in as " + Picture(i) + ", " + where;
    std::string problem;
    try {
      std::unique_ptr<TPictureDecoder> decoder;
      if (kind_ == spAnimated)
        decoder = std::make_unique<TGifDecoder>(folder_ + name);
      else
        decoder = std::make_unique<TBmpDecoder>(folder_ + name);
      decoder->Decode();
    } catch (const EFOpenError&) {
      problem = "the file can't be opened";
    } catch (const std::exception& e) {
      problem = e.what();
    }
    if (!problem.empty())
      findings_.Add(TFindings::fBroken,
                    "broken " + Printable(name) + " (" + where + "): " + Printable(problem));
  }
}

void TPackCheck::CheckSymbols() {
  struct THolder {
    int position;
    std::string spelling;
  };
  std::map<std::string, std::vector<THolder>> holders;  // folded symbol -> smiles holding it
  std::vector<std::string> order;                       // folded symbols by first appearance
  for (int i = 0; i < SmileCount(); ++i) {
    const std::string& line = lines_[static_cast<std::size_t>(i)];
    std::vector<std::string> symbols;
    ParseSymbols(line, symbols);
    if (symbols.empty() && !line.empty())
      findings_.Add(TFindings::fNoSymbols, "no symbols on line " + std::to_string(i + 1) + " (" +
                                               Picture(i) + "): " + Quoted1251(line));
    for (auto& symbol : symbols) {
      auto& list = holders[platform::LowerCase1251(symbol)];
      if (list.empty()) order.push_back(platform::LowerCase1251(symbol));
      if (list.empty() || list.back().position != i) list.push_back({i, std::move(symbol)});
    }
  }
  for (const auto& folded : order) {
    const auto& list = holders[folded];
    if (list.size() < 2) continue;
    std::string text = "duplicate " + Quoted1251(list.front().spelling) + ":";
    for (std::size_t k = 0; k < list.size(); ++k) {
      text += (k ? ", line " : " line ") + std::to_string(list[k].position + 1) + " (" +
              Picture(list[k].position);
      if (list[k].spelling != list.front().spelling) text += " as " + Quoted1251(list[k].spelling);
      text += ")";
    }
    findings_.Add(TFindings::fDuplicate, std::move(text));
  }
}

void TPackCheck::CheckConflicts() {
  TPackCodes codes;
  for (const auto& line : lines_) {
    codes.emplace_back();
    ParseSymbols(line, codes.back());
  }
  for (const TCodeConflict& c : FindConflicts(codes)) {
    auto symbol = [&](int smile, int index) {
      return Quoted1251(codes[static_cast<std::size_t>(smile)][static_cast<std::size_t>(index)]) +
             " (line " + std::to_string(smile + 1) + ")";
    };
    findings_.conflicts.push_back(
        symbol(c.ShortSmile, c.ShortSymbol) + " inside " + symbol(c.LongSmile, c.LongSymbol) +
        (c.HidesLonger() ? ": where codes are replaced in pack order, the shorter one wins"
                         : ": the longer one comes first in pack order"));
  }
}

void TPackCheck::ListIgnoredFiles() {
  const TSmilePack other = kind_ == spStatic ? spAnimated : spStatic;
  for (const auto& name : files_.names) {
    const std::string lower = AsciiLower(name);
    const bool ini = platform::MatchesMask(name, "*.ini");
    const bool picture = platform::MatchesMask(name, PackWildcard(kind_));
    auto shadow = files_.shadowed.find(name);
    std::string why;
    if ((ini || picture) && shadow != files_.shadowed.end()) {
      why = "opening takes " + Printable(shadow->second) + ", the same name in another letter case";
    } else if (ini) {
      if (lower != DefineFileName)
        findings_.Add(TFindings::fInfo, "carried along: " + Printable(name));
      continue;
    } else if (picture) {
      const int position = PicturePosition(lower, kind_);
      if (position >= 0) {
        // Kept with the pack, and moved along when smiles before it are added or deleted.
        if (position >= SmileCount() && movedTo_.count(name) == 0)
          findings_.Add(TFindings::fNoLine,
                        "picture without a line: " + Printable(name) + " (the pack has " +
                            Counted(static_cast<std::size_t>(SmileCount()), "line", "lines") + ")");
        continue;
      }
      why = "not a position name (" + Picture(0) + " to " + Picture(MaxSmiles - 1) + ")";
    } else if (platform::MatchesMask(name, PackWildcard(other))) {
      why = std::string(other == spStatic ? "a static picture, not part of an animated pack"
                                          : "an animated picture, not part of a static pack");
    } else {
      why = "not a file of a pack";
    }
    findings_.Add(TFindings::fIgnored, "ignored " + Printable(name) + ": " + why);
  }
}

std::string Summary(const TFindings& f) {
  static const char* const kNames[9][2] = {
      {"missing definition file", "missing definition files"},
      {"empty line", "empty lines"},
      {"missing picture", "missing pictures"},
      {"broken picture", "broken pictures"},
      {"smile without symbols", "smiles without symbols"},
      {"duplicate symbol", "duplicate symbols"},
      {"line past the limit", "lines past the limit"},
      {"picture without a line", "pictures without a line"},
      {"ignored file", "ignored files"},
  };
  if (f.Problems() == 0) return "no problems";
  std::string parts;
  for (int c = 0; c < 9; ++c)
    if (f.counts[c])
      parts += (parts.empty() ? "" : ", ") + Counted(f.counts[c], kNames[c][0], kNames[c][1]);
  return Counted(f.Problems(), "problem", "problems") + " (" + parts + ")";
}

// Checks one pack folder (ending in "/") and prints its report; the exit code of that pack.
// With Strict, code conflicts count as problems.
int CheckFolder(const std::string& folder, std::optional<TSmilePack> forced, bool strict) {
  std::error_code error;
  std::filesystem::directory_iterator probe(folder, error);
  if (error) {
    std::fprintf(stderr, "fennimo-pack check: can't read the folder %s\n", Printable(folder).c_str());
    return 2;
  }
  TFolderFiles files(folder);
  std::string note;
  TSmilePack kind = DetectKind(folder, files.names, forced, note);
  TPackCheck check(folder, kind, files);
  if (!check.Run()) {
    std::fprintf(stderr, "fennimo-pack check: can't read %s%s\n", Printable(folder).c_str(),
                 Printable(files.Find(DefineFileName)).c_str());
    return 2;
  }
  const TFindings& f = check.Findings();
  std::printf("pack %s: %s, %s\n", Printable(folder).c_str(), KindName(kind),
              Counted(static_cast<std::size_t>(check.SmileCount()), "smile", "smiles").c_str());
  if (!note.empty()) std::printf("  note: %s\n", note.c_str());
  for (const auto& lines : f.lines)
    for (const auto& line : lines) std::printf("  %s\n", line.c_str());
  if (!f.conflicts.empty()) {
    std::printf("  code conflicts:\n");
    for (const auto& line : f.conflicts) std::printf("    %s\n", line.c_str());
  }
  std::string conflicts =
      f.conflicts.empty() ? std::string() : "; " + Counted(f.conflicts.size(), "code conflict", "code conflicts");
  std::printf("%s: %s%s\n", Printable(folder).c_str(), Summary(f).c_str(), conflicts.c_str());
  return f.Problems() || (strict && !f.conflicts.empty()) ? 1 : 0;
}

// The subfolder of Root named Name without regard to letter case (the exact spelling first),
// ending in "/", or "" when there is none.
std::string FindSubfolder(const std::string& root, const std::string& name) {
  if (platform::DirectoryExists(root + name)) return root + name + "/";
  std::error_code error;
  std::string found;
  for (const auto& entry : std::filesystem::directory_iterator(root, error)) {
    std::string entryName = entry.path().filename().string();
    if (AsciiLower(entryName) == AsciiLower(name) && entry.is_directory(error) &&
        (found.empty() || entryName < found))
      found = entryName;
  }
  return found.empty() ? std::string() : root + found + "/";
}

int Usage() {
  std::fprintf(stderr, "%s\n", CheckUsage);
  return 2;
}

}  // namespace

int RunCheckCommand(const CommandArgs& args) {
  bool both = false, strict = false;
  std::optional<TSmilePack> forced;
  std::vector<std::string> paths;
  bool options = true;
  for (const auto& arg : args) {
    if (options && arg == "--") {
      options = false;
    } else if (options && arg == "--both") {
      both = true;
    } else if (options && arg == "--strict") {
      strict = true;
    } else if (options && (arg == "--static" || arg == "--animated")) {
      TSmilePack kind = arg == "--static" ? spStatic : spAnimated;
      if (forced && *forced != kind) return Usage();
      forced = kind;
    } else if (options && arg.size() > 1 && arg[0] == '-') {
      std::fprintf(stderr, "fennimo-pack check: unknown option %s\n", Printable(arg).c_str());
      return Usage();
    } else {
      paths.push_back(arg);
    }
  }
  if (paths.size() != 1 || paths[0].empty() || (both && forced)) return Usage();

  std::string folder = platform::IncludeTrailingPathDelimiter(paths[0]);
  if (!platform::DirectoryExists(folder)) {
    std::fprintf(stderr, "fennimo-pack check: no folder %s\n", Printable(paths[0]).c_str());
    return 2;
  }
  if (!both) return CheckFolder(folder, forced, strict);

  int result = 0;
  for (TSmilePack kind : AllPacks) {
    std::string pack = FindSubfolder(folder, PackFolderName(kind));
    int code = 2;
    if (pack.empty())
      std::fprintf(stderr, "fennimo-pack check: no folder %s in %s\n", PackFolderName(kind),
                   Printable(folder).c_str());
    else
      code = CheckFolder(pack, kind, strict);
    result = std::max(result, code);
  }
  return result;
}
