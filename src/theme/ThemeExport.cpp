// SPDX-License-Identifier: GPL-3.0-or-later
#include "ThemeExport.h"

#include "Cp1251.h"
#include "Files.h"
#include "ThemeArchive.h"
#include "ThemeFiles.h"

bool ReadPackAsTheme(const std::string& packDir, TSmilePack kind, TThemeFormat format,
                     TPackTheme& out, std::string& error) {
  out = {};
  const std::string folder = platform::IncludeTrailingPathDelimiter(packDir);
  const std::string define = theme_files::FindFile(folder + DefineFileName);
  std::vector<std::string> lines;
  if (define.empty() || !ReadDefineLines(define, lines)) {
    error = (define.empty() ? "no " : "can't read ") + folder + DefineFileName;
    return false;
  }
  out.theme.name = platform::ExtractFileName(folder.substr(0, folder.size() - 1));
  for (std::size_t line = MaxSmiles; line < lines.size(); ++line)
    out.leftOut.push_back({TLeftOutReason::PastLimit, "line " + std::to_string(line + 1), {}, {}});
  if (lines.size() > MaxSmiles) lines.resize(MaxSmiles);

  theme_files::TFolderNames files;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string name = PictureFileName(static_cast<int>(i), kind);
    const std::string path = files.Find(folder, name);
    if (path.empty()) {
      out.leftOut.push_back({TLeftOutReason::PictureMissing, name, {}, {}});
      continue;
    }
    std::vector<std::string> symbols;
    ParseSymbols(lines[i], symbols);
    TThemeSmile smile{name, {}};
    for (const std::string& symbol : symbols) {
      std::string code = platform::Cp1251ToUtf8(symbol);
      TLeftOutReason why = TLeftOutReason::CodeNoCharacter;
      if (symbol.find('\x98') == std::string::npos && ThemeCanHoldCode(format, code, why))
        smile.codes.push_back(std::move(code));
      else
        out.leftOut.push_back({why, name, std::move(code), {}});
    }
    out.theme.smiles.push_back(std::move(smile));
    out.pictures.push_back(path);
  }
  // Pictures past the last line stay with the pack, but have no codes to go with them.
  for (int position = static_cast<int>(lines.size()); position < MaxSmiles; ++position) {
    const std::string name = PictureFileName(position, kind);
    if (!files.Find(folder, name).empty())
      out.leftOut.push_back({TLeftOutReason::PictureWithoutLine, name, {}, {}});
  }
  return true;
}

namespace {

// The theme as a zip archive at Path: a folder named as the archive (an Adium set's name ends
// in ".AdiumEmoticonset") holding the pictures and the index file.
bool WriteThemeZip(const TPackTheme& theme, TThemeFormat format, const std::string& path,
                   std::string& error) {
  std::string top = platform::ExtractFileName(path);
  top = top.substr(0, top.rfind('.'));
  const std::string adium = ".AdiumEmoticonset";
  if (format == TThemeFormat::Adium && !top.ends_with(adium)) top += adium;
  std::vector<theme_archive::TZipEntry> entries;
  for (std::size_t i = 0; i < theme.pictures.size(); ++i)
    entries.push_back({top + "/" + theme.theme.smiles[i].picture, theme.pictures[i], {}});
  entries.push_back({top + "/" + ThemeIndexFileName(format), {}, FormatTheme(format, theme.theme)});
  return theme_archive::WriteZip(path, entries, error);
}

}  // namespace

bool WritePackTheme(const TPackTheme& theme, TThemeFormat format, const std::string& out,
                    std::string& error) {
  std::string bare = out;
  while (bare.size() > 1 && bare.back() == platform::PathDelim) bare.pop_back();
  if (theme_archive::IsArchiveName(platform::ExtractFileName(bare))) {
    if (theme_archive::IsZipName(bare)) return WriteThemeZip(theme, format, bare, error);
    error = bare + ": an export writes a folder, or a .zip or .jisp archive";
    return false;
  }
  const std::string folder = platform::IncludeTrailingPathDelimiter(out);
  theme_files::TScratchFolder scratch;
  if (!theme_files::BeginFolderTarget(folder, "export", scratch, error)) return false;
  for (std::size_t i = 0; i < theme.pictures.size(); ++i) {
    const std::string target = scratch.Path() + theme.theme.smiles[i].picture;
    if (!platform::CopyFileNew(theme.pictures[i], target)) {
      error = "can't copy " + theme.pictures[i] + " to " + folder;
      return false;
    }
  }
  const std::string index = ThemeIndexFileName(format);
  if (!platform::WriteFileAtomic(scratch.Path() + index, FormatTheme(format, theme.theme), false)) {
    error = "can't write " + folder + index;
    return false;
  }
  return scratch.MoveTo(folder, error);
}
