// SPDX-License-Identifier: GPL-3.0-or-later
// A smile pack made from another messenger's emoticon theme.
//
// The steps are separate so that the editor can open a theme as a new pack: LoadTheme reads
// the index, BuildThemePack converts the pictures one at a time into a folder of the caller's
// and gathers the symbols; ImportTheme makes a pack folder of it (what `fennimo-pack import`
// does).
//
// Rules of the conversion, in the theme's order:
// - each smile's picture becomes what the pack stores (PictureConverter: a GIF for the
//   animated pack, a BMP for the static one); a smile whose picture is missing, lies outside
//   the theme's folder or can't be converted is left out; a file that several smiles name is
//   converted once;
// - a code becomes a Windows-1251 symbol; codes that Windows-1251 can't hold (emoji, CJK),
//   that hold a comma or a control character, or whose blank at the start of the first or the
//   end of the last symbol the definition line would lose, are left out;
// - a smile left without codes is kept without symbols (and listed);
// - a pack holds 676 smiles: the first 676 are taken, the rest listed.
// Everything left out is listed in TThemePack::leftOut: what reading the index left out first,
// then the rest in the theme's order.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "DefineFile.h"
#include "EmoticonTheme.h"
#include "ThemeFiles.h"

// A theme as LoadTheme read it.
struct TLoadedTheme {
  TThemeFormat format{};
  TTheme theme;
  std::string folder;  // where its pictures are, ending in "/"
  // An archive's files, unpacked for as long as the theme is needed.
  std::unique_ptr<theme_files::TScratchFolder> unpacked = {};
};

// Reads the theme at Source: its folder, its index file, or an archive holding it (ThemeArchive;
// its theme is the index file nearest the archive's top). Format: the format to read; without
// one, the format whose index file Source is or holds. False, with an English message in
// Error, when there is no readable index.
bool LoadTheme(std::optional<TThemeFormat> format, const std::string& source, TLoadedTheme& theme,
               std::string& error);

struct TThemePack {
  // At most MaxSmiles, in the theme's order; each picture is in a file of its own (file), not
  // in memory.
  std::vector<TPackSmile> smiles;
  std::vector<TLeftOut> leftOut;
};

// Turns a loaded theme into the smiles of a pack of Kind: each picture is converted and written
// into Folder (an empty folder of the caller's) under its position name before the next one is
// read. False, with an English message in Error, when a write fails.
bool BuildThemePack(const TLoadedTheme& theme, TSmilePack kind, const std::string& folder,
                    TThemePack& pack, std::string& error);

// Makes a pack of Kind in PackDir: the pictures and then _define.ini are written into a hidden
// folder beside PackDir, which is renamed to PackDir when it is whole, so that an import cut
// short leaves no PackDir behind. PackDir must not exist or be an empty folder. When no smile
// is taken, nothing is written. False, with an English message in Error, when it refuses or a
// write fails; nothing is left behind then.
bool ImportTheme(const TLoadedTheme& theme, TSmilePack kind, const std::string& packDir,
                 TThemePack& pack, std::string& error);
