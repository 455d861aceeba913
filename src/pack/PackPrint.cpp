// SPDX-License-Identifier: GPL-3.0-or-later
// Fingerprints of packs in folders, and what the pack model does with them: telling unsaved
// changes, and asking before a save replaces what it did not write.
#include "PackPrint.h"

#include <cstdint>
#include <cstdio>
#include <vector>

#include "DefineDecoder.h"
#include "Files.h"
#include "StorageManager.h"

namespace {

// 64-bit FNV-1a: a print has to change when the folder does; no one has reason to forge one.
class TPrintHash {
public:
  void Add(std::string_view bytes) {
    for (unsigned char c : bytes) hash_ = (hash_ ^ c) * 1099511628211ull;
  }
  // A number in a fixed width, so that no two sequences of values hash the same bytes.
  void Add(long long value) {
    for (int i = 0; i < 8; ++i) {
      char byte = static_cast<char>((static_cast<std::uint64_t>(value) >> (8 * i)) & 0xFF);
      Add(std::string_view(&byte, 1));
    }
  }
  // A name, ended so that it can't run into what follows.
  void AddName(std::string_view name) {
    Add(name);
    Add(std::string_view("", 1));
  }
  std::string Hex() const {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash_));
    return text;
  }

private:
  std::uint64_t hash_ = 14695981039346656037ull;
};

// Define, when given, stands for every definition file of the folder.
std::string Print(const std::string& folder, TSmilePack kind, const std::string_view* define) {
  TPrintHash hash;
  bool any = define != nullptr;
  if (define) {
    hash.AddName(DefineFileName);
    hash.Add(static_cast<long long>(define->size()));
    hash.Add(*define);
  } else {
    for (const auto& name : platform::FindFiles(folder + DefineFileName)) {
      std::string bytes;
      bool read = platform::ReadFile(folder + name, bytes);
      any = true;
      hash.AddName(name);
      // A file that can't be read is told apart from every content it could have.
      hash.Add(read ? static_cast<long long>(bytes.size()) : -1LL);
      hash.Add(bytes);
    }
  }
  for (const auto& name : platform::FindFiles(folder + PackWildcard(kind))) {
    any = true;
    hash.AddName(name);
    hash.Add(platform::FileSize(folder + name));
    hash.Add(platform::FileModified(folder + name));
  }
  return any ? hash.Hex() : std::string();
}

}  // namespace

std::string FolderPrint(const std::string& folder, TSmilePack kind) {
  return Print(folder, kind, nullptr);
}

std::string FolderPrintWith(const std::string& folder, TSmilePack kind, std::string_view define) {
  return Print(folder, kind, &define);
}

std::string DefineFileIn(const std::string& folder) {
  auto names = platform::FindFiles(folder + DefineFileName);
  for (const auto& name : names)
    if (name == DefineFileName) return name;
  return names.empty() ? std::string() : names.front();
}

// ---------------------------------------------------------------------------------------------
// What the pack model does with them

bool TDefineDecoder::IsChanged(TSmilePack pack) const {
  if (!LoadedPacks.Contains(pack)) return false;
  TStorageManager& storage = *PackStorages[pack];
  std::string saved = TStorageIniFile(storage).GetString(TStorageIniFile::siStoragePrint);
  if (!saved.empty()) return FolderPrint(storage.Path, pack) != saved;
  if (SourceAssigned.Contains(pack)) return true;
  return platform::FileSize(storage.Path + DefineFileName) > 0 ||
         !platform::FindFiles(storage.Path + PackWildcard(pack)).empty();
}

bool TDefineDecoder::ConfirmReplace(const std::string& folder) {
  TSmilePack a = ActivePack;
  // A folder no save would take (ExportTo refuses it) is not worth a question.
  if (Hosted || !LoadedPacks.Contains(a) || folder.empty() ||
      folder.front() != platform::PathDelim || folder.back() != platform::PathDelim ||
      IsInsideStorageTree(folder))
    return true;
  std::string define = DefineFileIn(folder);
  bool own = SourceAssigned.Contains(a) &&
             platform::CanonicalPath(folder) == platform::CanonicalPath(SourcePath[a]);
  bool changedOutside = false;
  if (own) {
    // Without a print taken at open or save (an earlier version's storage) there is nothing to
    // compare; an empty folder has nothing to lose.
    std::string seen = TStorageIniFile(*PackStorages[a]).GetString(TStorageIniFile::siSourcePrint);
    std::string now = FolderPrint(folder, a);
    changedOutside = !seen.empty() && !now.empty() && now != seen;
    if (!changedOutside) return true;
  } else if (define.empty()) {
    return true;
  }
  std::vector<std::string> lines;
  if (!define.empty()) ReadDefineLines(folder + define, lines);
  bool replace = false;
  if (OnReplaceQuery)
    OnReplaceQuery(this, folder, static_cast<int>(lines.size()), changedOutside, replace);
  return replace;
}

