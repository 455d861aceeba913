// SPDX-License-Identifier: GPL-3.0-or-later
// fennimo-pack import: makes a smile pack from another messenger's emoticon theme.
#include <cstdio>
#include <string>
#include <vector>

#include "CommandSupport.h"
#include "Commands.h"
#include "Files.h"
#include "Printable.h"
#include "ThemeImport.h"

const char* const ImportUsage =
    "fennimo-pack import FORMAT SOURCE PACKDIR [--static]\n"
    "  Makes a smile pack in PACKDIR from another messenger's emoticon theme SOURCE: its folder,\n"
    "  its index file, or a .zip, .jisp, .tar.gz, .tar.bz2 or .tar.xz archive holding it (the\n"
    "  index file nearest the archive's top). FORMAT is pidgin (a folder with a \"theme\" file),\n"
    "  kde (a freedesktop emoticon theme: a folder with \"emoticons.xml\"), adium (an\n"
    "  .AdiumEmoticonset folder with \"Emoticons.plist\") or jisp (an XMPP icon set of Psi and\n"
    "  other XMPP clients: a folder or .jisp archive with \"icondef.xml\"). The pack is animated,\n"
    "  with GIF pictures, unless --static makes it static, with BMP pictures. Pictures are\n"
    "  converted (PNG, JPEG, BMP, GIF, WebP and the other formats Qt reads here; animated GIF and\n"
    "  WebP keep their frames and delays; semi-transparent pixels are blended over white); a GIF\n"
    "  or BMP the editor already reads is taken unchanged. Codes become symbols in Windows-1251.\n"
    "  Left out and listed: codes that Windows-1251 can't hold (emoji, CJK), codes holding a\n"
    "  comma or a control character, a code named twice by one entry or already another\n"
    "  smile's, emoticons inside elements the format does not have, smiles whose picture is\n"
    "  missing or unusable, and smiles past the 676th; a smile left without codes is kept\n"
    "  without symbols and listed.\n"
    "  PACKDIR must be new or an empty folder; the pack is written beside it under a hidden\n"
    "  name and takes the name PACKDIR only when it is whole. When no smile is taken, nothing is\n"
    "  written.\n"
    "  Exit code 0 when everything was taken, 1 when something was left out or nothing was\n"
    "  taken, 2 on bad usage, an unreadable theme or a refused PACKDIR.";

int RunImportCommand(const CommandArgs& args) {
  std::vector<std::string> paths;
  std::optional<TSmilePack> forced;
  TThemeFormat format{};
  if (!ParseThemeArgs("import", ImportUsage, args, false, format, paths, forced)) return 2;
  const TSmilePack kind = forced.value_or(spAnimated);
  const std::string packDir = platform::IncludeTrailingPathDelimiter(paths[2]);
  TLoadedTheme theme;
  TThemePack pack;
  std::string error;
  if (!LoadTheme(format, paths[1], theme, error) || !ImportTheme(theme, kind, packDir, pack, error))
    return CommandFailure("import", error);
  std::printf("import %s (%s theme) into %s: %s pack\n", Printable(paths[1]).c_str(),
              ThemeFormatName(format), Printable(packDir).c_str(), KindName(kind));
  return ReportLeftOut(pack.leftOut, packDir, pack.smiles.size());
}
