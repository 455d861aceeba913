// SPDX-License-Identifier: GPL-3.0-or-later
// Another messenger's emoticon theme made from a smile pack.
//
// Each smile becomes one emoticon whose picture is the pack's own file, copied byte for byte
// under its position name (aa.gif, ab.gif, ...), and whose codes are its symbols in UTF-8, in
// order. Importing the theme again therefore gives the same definition file and the same
// pictures. Left out, and listed: smiles past the 676th line, smiles whose picture is missing,
// pictures past the last line, and symbols the format can't hold (a blank in a pidgin code, a
// control character, byte 0x98).
// A smile without symbols is written without codes.
#pragma once

#include <string>
#include <vector>

#include "DefineFile.h"
#include "EmoticonTheme.h"

struct TPackTheme {
  TTheme theme;                       // picture names are the pack's position names
  std::vector<std::string> pictures;  // for each smile, the path of its picture in the pack
  std::vector<TLeftOut> leftOut;
};

// Reads the pack of Kind in PackDir for a theme of Format. False, with an English message in
// Error, when the folder has no readable definition file.
bool ReadPackAsTheme(const std::string& packDir, TSmilePack kind, TThemeFormat format,
                     TPackTheme& out, std::string& error);

// Writes the theme into Out: the pictures, then the index file, into a hidden folder beside
// Out that is renamed to Out when it is whole, so that an export cut short leaves no Out
// behind; Out must not exist or be an empty folder. An Out named as a .zip or .jisp archive
// (ThemeArchive) is written as one, holding a folder named as the archive; it must not exist.
// False, with an English message in Error, when it refuses or a write fails; nothing is left
// behind then.
bool WritePackTheme(const TPackTheme& theme, TThemeFormat format, const std::string& out,
                    std::string& error);
