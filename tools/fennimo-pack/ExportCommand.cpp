// SPDX-License-Identifier: GPL-3.0-or-later
// fennimo-pack export: writes a smile pack as another messenger's emoticon theme.
#include <cstdio>
#include <string>
#include <vector>

#include "CommandSupport.h"
#include "Commands.h"
#include "Files.h"
#include "Printable.h"
#include "ThemeArchive.h"
#include "ThemeExport.h"

const char* const ExportUsage =
    "fennimo-pack export FORMAT PACKDIR OUTDIR [--static | --animated]\n"
    "  Writes the smile pack in PACKDIR as an emoticon theme of FORMAT (pidgin, kde, adium or\n"
    "  jisp, as for import) into the folder OUTDIR, or, for an OUTDIR ending in .zip or .jisp,\n"
    "  into a zip archive of that name: every picture copied unchanged under its pack name\n"
    "  (aa.gif, ab.gif, ...), the symbols as codes in UTF-8, and the index file (theme,\n"
    "  emoticons.xml, Emoticons.plist or icondef.xml). Importing that theme again gives the same\n"
    "  _define.ini and pictures.\n"
    "  The kind follows the pictures, as for check; --static and --animated set it. Left out\n"
    "  and listed: symbols the format can't hold (blanks in pidgin codes, control characters,\n"
    "  byte 0x98), smiles whose picture is missing, pictures past the last line, and lines\n"
    "  past the 676th. Adium looks for sets in folders whose name ends in \".AdiumEmoticonset\".\n"
    "  OUTDIR must be new or an empty folder (an archive: new); the theme is written beside it\n"
    "  under a hidden name and takes the name OUTDIR only when it is whole. When no smile is\n"
    "  taken, nothing is written.\n"
    "  Exit code 0 when everything was taken, 1 when something was left out or nothing was\n"
    "  taken, 2 on bad usage, an unreadable pack or a refused OUTDIR.";

int RunExportCommand(const CommandArgs& args) {
  std::vector<std::string> paths;
  std::optional<TSmilePack> forced;
  TThemeFormat format{};
  if (!ParseThemeArgs("export", ExportUsage, args, true, format, paths, forced)) return 2;
  const std::string packDir = platform::IncludeTrailingPathDelimiter(paths[1]);
  const std::string outDir = theme_archive::IsArchiveName(paths[2])
                                 ? paths[2]
                                 : platform::IncludeTrailingPathDelimiter(paths[2]);
  if (!platform::DirectoryExists(packDir)) return CommandFailure("export", "no folder " + packDir);
  std::string note;
  const TSmilePack kind = DetectKind(packDir, platform::FindFiles(packDir + "*.*"), forced, note);

  TPackTheme theme;
  std::string error;
  if (!ReadPackAsTheme(packDir, kind, format, theme, error)) return CommandFailure("export", error);
  if (!theme.theme.smiles.empty() && !WritePackTheme(theme, format, outDir, error))
    return CommandFailure("export", error);
  std::printf("export %s (%s pack) into %s: %s theme\n", Printable(packDir).c_str(), KindName(kind),
              Printable(outDir).c_str(), ThemeFormatName(format));
  if (!note.empty()) std::printf("  note: %s\n", note.c_str());
  return ReportLeftOut(theme.leftOut, outDir, theme.theme.smiles.size());
}
