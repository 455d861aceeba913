// A smile pack made from another messenger's emoticon theme.
//
// The steps are separate so that the editor can open a theme as a new pack without writing it
// anywhere first: LoadTheme reads the index, BuildThemePack converts the pictures and codes in
// memory, WriteThemePack writes the result as a pack folder (what `fennimo-pack import` does).
//
// Rules of the conversion, in the theme's order:
// - each smile's picture becomes what the pack stores (PictureConverter: a GIF for the
//   animated pack, a BMP for the static one); a smile whose picture is missing, lies outside
//   the theme's folder or can't be converted is left out;
// - a code becomes a Windows-1251 symbol; codes that Windows-1251 can't hold (emoji, CJK),
//   that hold a comma or a control character, or whose blank at the start of the first or the
//   end of the last symbol the definition line would lose, are left out;
// - a smile left without codes is kept without symbols (and listed);
// - a pack holds 676 smiles: the first 676 are taken, the rest listed.
// Everything left out is listed in TThemePack::leftOut: what reading the index left out first,
// then the rest in the theme's order.
#pragma once

#include <string>
#include <vector>

#include "DefineFile.h"
#include "EmoticonTheme.h"

// Reads the theme at Source: its folder, or its index file. Folder is set to the theme's folder
// (ending in "/"). False, with an English message in Error, when there is no readable index
// of that format.
bool LoadTheme(TThemeFormat format, const std::string& source, TTheme& theme, std::string& folder,
               std::string& error);

struct TThemePack {
  std::vector<TPackSmile> smiles;  // at most MaxSmiles, in the theme's order
  std::vector<TLeftOut> leftOut;
};

// Turns a loaded theme into the smiles of a pack of Kind.
TThemePack BuildThemePack(const TTheme& theme, const std::string& folder, TSmilePack kind);

// Whether Folder already holds a pack of Kind: a definition file, or a picture named by
// position, in any letter case. Such a folder is never written into.
bool HoldsPack(const std::string& folder, TSmilePack kind);

// Writes the pack into PackDir (created when missing): every picture under its position name,
// then _define.ini. Refuses a folder that HoldsPack; touches no other file there. False, with an
// English message in Error, when it refuses or a write fails; the pictures it wrote are then
// removed again.
bool WriteThemePack(const TThemePack& pack, const std::string& packDir, TSmilePack kind,
                    std::string& error);
