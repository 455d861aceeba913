// SPDX-License-Identifier: GPL-3.0-or-later
// The on-disk layout of a smile pack: picture names by position and the definition file
// _define.ini (one line of comma-separated symbols per smile, bytes passed through unchanged).
// These are the building blocks the pack model reads and writes packs with.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The two pack kinds; also the index of every per-pack value. Static always goes first.
enum TSmilePack : unsigned char { spStatic = 0, spAnimated = 1 };

inline constexpr TSmilePack AllPacks[] = {spStatic, spAnimated};
// A pack holds at most this many smiles: positions aa to zz.
inline constexpr int MaxSmiles = 676;
inline constexpr const char* DefineFileName = "_define.ini";

// ".bmp" or ".gif".
const char* PackExtension(TSmilePack pack);
// "*.bmp" or "*.gif".
const char* PackWildcard(TSmilePack pack);
// "Static" or "Animated": the pack's folder in a two-pack root.
const char* PackFolderName(TSmilePack pack);

// "aa.gif" for position 0, "ab.gif" for 1, … "zz.gif" for 675; "" from 676 on and for
// negative positions.
std::string PictureFileName(int index, TSmilePack pack);

// One smile of a pack made elsewhere (from another messenger's theme): its symbols and the
// bytes of the picture file the pack stores.
struct TPackSmile {
  std::vector<std::string> symbols;  // Windows-1251, in order
  std::string picture;               // the bytes of the file the pack stores
  std::string source;                // where the picture came from (UTF-8), for reports
  std::string file = {};             // or, when Picture is empty, the file holding those bytes
};

// The position a picture file name stands for ("ab.gif" is 1 in an animated pack), or -1 when
// Name is not a picture name of the pack's kind. Names are matched exactly, in lower case.
int PicturePosition(std::string_view name, TSmilePack pack);

// Splits the bytes of a definition file into lines and appends them, trimmed of every byte 0 to
// 32 at both ends, to Lines: LF or CR LF ends a line, a lone CR is dropped, Ctrl-Z ends the
// file, and a line break at the very end makes no extra empty line.
void SplitDefineLines(std::string_view data, std::vector<std::string>& lines);
// Reads a definition file into Lines as above; false when it can't be opened or read.
bool ReadDefineLines(const std::string& path, std::vector<std::string>& lines);

// Appends the symbols of one trimmed line: the items between commas, empty items dropped.
void ParseSymbols(std::string_view line, std::vector<std::string>& symbols);

// Appends one smile's line: its symbols joined by ",", followed by CR LF unless it is the last
// smile and has symbols (a smile without symbols always ends in CR LF, so reading the file back
// gives one line per smile).
void AppendDefineLine(std::string& out, const std::vector<std::string>& symbols, bool last);

// Replaces the definition file atomically; throws platform::EWriteError when it can't, leaving
// the old file whole.
void WriteDefineBytes(const std::string& path, std::string_view content);
