// SPDX-License-Identifier: GPL-3.0-or-later
#include "ThemeImport.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <unordered_map>

#include "Cp1251.h"
#include "Files.h"
#include "PictureConverter.h"
#include "ThemeArchive.h"
#include "ThemeFiles.h"

namespace {

// Whether a picture name climbs out of the folder it is looked up in: an absolute name, or one
// with a ".." part. Such a name is refused as it stands, before the system resolves any link
// on its way.
bool ClimbsOut(const std::string& name) {
  if (name.front() == '/') return true;
  std::size_t start = 0;
  while (start <= name.size()) {
    const std::size_t end = std::min(name.find('/', start), name.size());
    if (name.compare(start, end - start, "..") == 0) return true;
    start = end + 1;
  }
  return false;
}

// The theme's file for a picture name, or "" with the reason there is none. The name is looked
// up as written, then in any letter case (themes are often made where case doesn't matter),
// then, for a name without its extension, with any extension. The result is the path the
// system opens, every link on it followed, and lies inside the theme's folder.
std::string ResolvePicture(theme_files::TFolderNames& names, const std::string& folder,
                           const std::string& name, TLeftOutReason& why) {
  why = TLeftOutReason::PictureMissing;
  if (name.empty()) return {};
  if (ClimbsOut(name)) {
    why = TLeftOutReason::PictureOutside;
    return {};
  }
  std::string path = names.Find(folder, name);
  if (path.empty()) path = names.Find(folder, name, true);
  if (path.empty()) return {};
  path = platform::CanonicalPath(path);
  if (!platform::IsPathInside(path, folder)) {
    why = TLeftOutReason::PictureOutside;
    return {};
  }
  return path;
}

// The symbols a definition line can hold of a smile's codes; the rest goes to LeftOut.
std::vector<std::string> Symbols(const TThemeSmile& smile, std::vector<TLeftOut>& leftOut) {
  struct TCode {
    std::string symbol, code;
  };
  std::vector<TCode> kept;
  for (const std::string& code : smile.codes) {
    std::string symbol;
    TLeftOutReason why = TLeftOutReason::CodeNotCp1251;
    bool fits = platform::Utf8ToCp1251(code, symbol);
    if (fits && symbol.find(',') != std::string::npos) fits = false, why = TLeftOutReason::CodeHasComma;
    for (unsigned char c : symbol)
      if (fits && c < 0x20) fits = false, why = TLeftOutReason::CodeHasControl;
    if (!fits) leftOut.push_back({why, smile.picture, code, {}});
    else if (!symbol.empty()) kept.push_back({std::move(symbol), code});
  }
  // Reading a definition line trims its ends: the first symbol can't start with a blank, nor
  // the last end with one.
  std::size_t begin = 0, end = kept.size();
  while (begin < end) {
    const bool first = kept[begin].symbol.front() == ' ';
    if (!first && kept[end - 1].symbol.back() != ' ') break;
    const std::size_t edge = first ? begin++ : --end;
    leftOut.push_back({TLeftOutReason::CodeAtLineEdge, smile.picture, kept[edge].code, {}});
  }
  std::vector<std::string> symbols;
  for (std::size_t i = begin; i < end; ++i) symbols.push_back(std::move(kept[i].symbol));
  if (symbols.empty()) leftOut.push_back({TLeftOutReason::NoCodes, smile.picture, {}, {}});
  return symbols;
}

// What is looked for: the index file of Format, or any theme's.
std::string IndexSought(std::optional<TThemeFormat> format) {
  return format ? ThemeIndexFileName(*format) : "theme index file";
}

// Unpacks the archive at Source and finds its theme: the index file (of Format, or of any
// format) nearest the top. Index is set to the path of the index file, and Shown to how a
// message names it.
bool UnpackTheme(std::optional<TThemeFormat> format, const std::string& source,
                 TLoadedTheme& theme, std::string& index, std::string& shown, std::string& error) {
  auto unpacked = std::make_unique<theme_files::TScratchFolder>();
  std::vector<std::string> files;
  if (!unpacked->CreateTemporary()) {
    error = "can't create a temporary folder for " + source;
    return false;
  }
  if (!theme_archive::Unpack(source, unpacked->Path(), files, error)) {
    error = source + ": " + error;
    return false;
  }
  std::vector<std::string> nearest;
  std::size_t depth = std::string::npos;
  for (const std::string& file : files) {
    TThemeFormat found;
    if (!ThemeFormatOfIndexFile(platform::ExtractFileName(file), found) || (format && found != *format))
      continue;
    const auto levels = static_cast<std::size_t>(std::count(file.begin(), file.end(), '/'));
    if (levels < depth) nearest.clear(), depth = levels;
    if (levels == depth) nearest.push_back(file);
  }
  if (nearest.size() != 1) {
    std::sort(nearest.begin(), nearest.end());
    std::string names;
    for (const auto& name : nearest) names += (names.empty() ? "" : ", ") + name;
    error = nearest.empty() ? "no " + IndexSought(format) + " in " + source
                            : source + " holds more than one theme (" + names + ")";
    return false;
  }
  ThemeFormatOfIndexFile(platform::ExtractFileName(nearest.front()), theme.format);
  index = unpacked->Path() + nearest.front();
  shown = source + ":" + nearest.front();
  theme.folder = platform::ExtractFilePath(index);
  theme.unpacked = std::move(unpacked);
  return true;
}

}  // namespace

bool LoadTheme(std::optional<TThemeFormat> format, const std::string& source, TLoadedTheme& theme,
               std::string& error) {
  theme = {};
  std::string index, shown;
  TThemeFormat named;
  if (platform::DirectoryExists(source)) {
    theme.folder = platform::IncludeTrailingPathDelimiter(source);
    for (TThemeFormat candidate : AllThemeFormats) {
      if (format && candidate != *format) continue;
      index = theme_files::FindFile(theme.folder + ThemeIndexFileName(candidate));
      theme.format = candidate;
      if (!index.empty()) break;
    }
    if (index.empty()) {
      error = "no " + IndexSought(format) + " in " + theme.folder;
      return false;
    }
  } else if (platform::FileExists(source) && theme_archive::IsArchiveName(platform::ExtractFileName(source))) {
    if (!UnpackTheme(format, source, theme, index, shown, error)) return false;
  } else if (platform::FileExists(source)) {
    if (!format && !ThemeFormatOfIndexFile(platform::ExtractFileName(source), named)) {
      error = source + " is neither a theme's index file nor an archive of a theme";
      return false;
    }
    theme.format = format.value_or(named);
    index = source;
    theme.folder = platform::ExtractFilePath(source);
    if (theme.folder.empty()) theme.folder = "./";
  } else {
    error = "no folder or file " + source;
    return false;
  }
  if (shown.empty()) shown = index;
  std::error_code sizeError;
  const auto size = std::filesystem::file_size(index, sizeError);
  std::string bytes;
  if (sizeError || size > MaxThemeIndexSize || !platform::ReadFile(index, bytes)) {
    error = "can't read " + shown + (size > MaxThemeIndexSize ? " (too large)" : "");
    return false;
  }
  if (!ParseTheme(theme.format, bytes, theme.theme, error)) {
    error = shown + ": " + error;
    return false;
  }
  return true;
}

bool BuildThemePack(const TLoadedTheme& theme, TSmilePack kind, const std::string& folder,
                    TThemePack& pack, std::string& error) {
  pack = {};
  pack.leftOut = theme.theme.leftOut;
  const TPictureFormat format = kind == spStatic ? TPictureFormat::Bmp : TPictureFormat::Gif;
  theme_files::TFolderNames names;
  // Each source file's first smile in the pack, or why it was left out.
  struct TDone {
    std::size_t smile = 0;
    bool failed = false;
    TLeftOut leftOut;
  };
  std::unordered_map<std::string, TDone> done;
  for (const TThemeSmile& smile : theme.theme.smiles) {
    if (pack.smiles.size() == MaxSmiles) {
      pack.leftOut.push_back({TLeftOutReason::PastLimit, smile.picture, {}, {}});
      continue;
    }
    TLeftOutReason why;
    const std::string path = ResolvePicture(names, theme.folder, smile.picture, why);
    if (path.empty()) {
      pack.leftOut.push_back({why, smile.picture, {}, {}});
      continue;
    }
    const std::string target = folder + PictureFileName(static_cast<int>(pack.smiles.size()), kind);
    auto [first, isNew] = done.try_emplace(path);
    if (!isNew && first->second.failed) {
      pack.leftOut.push_back(first->second.leftOut);
      pack.leftOut.back().picture = smile.picture;
      continue;
    }
    bool written;
    if (isNew) {
      // One picture at a time: its bytes go as soon as they are written.
      TConvertedPicture picture = ConvertPicture(path, format);
      if (!picture.Ok()) {
        std::string detail = ConvertErrorText(picture.error);
        if (!picture.detail.empty()) detail += ": " + picture.detail;
        first->second.failed = true;
        first->second.leftOut = {TLeftOutReason::PictureUnusable, smile.picture, {}, detail};
        pack.leftOut.push_back(first->second.leftOut);
        continue;
      }
      first->second.smile = pack.smiles.size();
      written = platform::WriteFileAtomic(target, picture.bytes, false);
    } else {
      written = platform::CopyFileNew(pack.smiles[first->second.smile].file, target);
    }
    if (!written) {
      error = "can't write " + target;
      return false;
    }
    pack.smiles.push_back({Symbols(smile, pack.leftOut), {}, smile.picture, target});
  }
  return true;
}

bool ImportTheme(const TLoadedTheme& theme, TSmilePack kind, const std::string& packDir,
                 TThemePack& pack, std::string& error) {
  const std::string folder = platform::IncludeTrailingPathDelimiter(packDir);
  theme_files::TScratchFolder scratch;
  if (!theme_files::BeginFolderTarget(folder, "import", scratch, error) ||
      !BuildThemePack(theme, kind, scratch.Path(), pack, error))
    return false;
  if (pack.smiles.empty()) return true;  // nothing taken, nothing written
  std::string define;
  for (std::size_t i = 0; i < pack.smiles.size(); ++i)
    AppendDefineLine(define, pack.smiles[i].symbols, i + 1 == pack.smiles.size());
  try {
    WriteDefineBytes(scratch.Path() + DefineFileName, define);
  } catch (const platform::EWriteError& e) {
    error = e.what();
    return false;
  }
  return scratch.MoveTo(folder, error);
}
