// SPDX-License-Identifier: GPL-3.0-or-later
// The emoticon themes of other messengers, read and written: a theme is a folder of pictures
// with one index file that gives each picture its text codes.
//
// - pidgin: a folder with the text file "theme" (UTF-8). Lines "Key=Value" (Name, Description,
//   Icon, Author) come first; then groups, each headed by a name in square brackets ("[default]"
//   or a protocol's name), each line of a group a picture file name followed by its codes, all
//   separated by blanks. A line starting with "! " is a smiley kept out of the selector, and one
//   starting with "#" a comment. A code can therefore hold no blank.
// - kde: a freedesktop emoticon theme, a folder with "emoticons.xml": the root element
//   <messaging-emoticon-map> holds one <emoticon file="..."> per picture with one <string> per
//   code; the first string is the default one. The file name may leave out its extension (the
//   folder is searched for that name with any extension). Unknown elements and attributes are
//   ignored, but an emoticon inside an unknown element is listed as left out.
// - adium: an ".AdiumEmoticonset" folder with "Emoticons.plist", an XML property list whose top
//   dictionary holds "AdiumSetVersion" and the dictionary "Emoticons": one key per picture file,
//   its value a dictionary with the array "Equivalents" (the codes, the first one the default)
//   and the string "Name" (a title). Binary property lists are not read.
// - jisp: an XMPP icon set (Psi and other XMPP clients), a folder or a ".jisp" zip archive with
//   "icondef.xml": the root element <icondef> holds <meta> (name, version, description,
//   authors) and one <icon> per picture, with one <text> per code (some marked with xml:lang;
//   every one is a code) and the picture in an <object> whose mime is an image type, or, in
//   older sets, a <graphic>; sounds and other objects are not read.
//
// Codes here are UTF-8, as the themes hold them; turning them into a pack's Windows-1251
// symbols is ThemeImport's part.
#pragma once

#include <string>
#include <string_view>
#include <vector>

enum class TThemeFormat : unsigned char { Pidgin, Kde, Adium, Jisp };

inline constexpr TThemeFormat AllThemeFormats[] = {TThemeFormat::Pidgin, TThemeFormat::Kde,
                                                   TThemeFormat::Adium, TThemeFormat::Jisp};

// "pidgin", "kde", "adium", "jisp": the names the command line uses.
const char* ThemeFormatName(TThemeFormat format);
bool ThemeFormatFromName(std::string_view name, TThemeFormat& format);
// "theme", "emoticons.xml", "Emoticons.plist", "icondef.xml".
const char* ThemeIndexFileName(TThemeFormat format);
// The format whose index file has this name (letter case ignored): what an open chooser that
// accepts theme index files asks.
bool ThemeFormatOfIndexFile(std::string_view fileName, TThemeFormat& format);

// Why something of a theme or a pack did not make it to the other side.
enum class TLeftOutReason : unsigned char {
  CodeNotCp1251,     // a code with a character that Windows-1251 can't hold (emoji, CJK)
  CodeNoCharacter,   // a symbol holding byte 0x98, which no character of Windows-1251 has
  CodeHasComma,      // a code holding ",", which separates the symbols of a definition line
  CodeHasControl,    // a code holding a control character
  CodeHasBlank,      // a code holding a blank, which separates codes in a pidgin theme
  CodeAtLineEdge,    // a code that would lose its leading or trailing blank as the first or the
                     // last symbol of a definition line
  CodeTakenByOther,  // a code that another smile has (letter case ignored): the first keeps it
  CodeRepeated,      // a code that one entry of the index names twice
  NoCodes,           // a smile left without codes: kept, without symbols
  PictureMissing,    // the picture file is not there
  PictureOutside,    // the index names a file outside the theme's folder
  PictureUnusable,   // the picture could not be converted (Detail says why)
  InUnknownElement,  // an emoticon inside an element the format does not have (Detail names it)
  PictureWithoutLine, // a pack's picture past the last line of its definition file
  PastLimit,         // past the 676 smiles a pack holds
};

struct TLeftOut {
  TLeftOutReason reason;
  std::string picture;  // the smile's picture as the theme or the pack names it (UTF-8)
  std::string code;     // the code concerned (UTF-8), or ""
  std::string detail;   // more, in English, or ""
};

// One line for the command-line tool (English, UTF-8; control characters are the caller's to
// escape).
std::string DescribeLeftOut(const TLeftOut& item);

struct TThemeSmile {
  std::string picture;             // the file as the index names it, relative to the folder
  std::vector<std::string> codes;  // in order; the first is the one a selector shows
};

struct TTheme {
  std::string name;                // the theme's name where the format has one, else ""
  std::vector<TThemeSmile> smiles; // one per picture, in the index's order
  std::vector<TLeftOut> leftOut;   // what reading the index dropped
};

// Index files larger than this are refused unread.
inline constexpr std::size_t MaxThemeIndexSize = std::size_t{8} << 20;

// Reads an index file's bytes. A picture named twice is one smile with the codes of both. Of a
// pidgin theme every group is taken, later ones adding their pictures and codes. A code that
// another smile already has (letter case ignored) stays with that smile, and one that an entry
// names twice is taken once; both are listed in leftOut, as are emoticons inside elements the
// format does not have.
// False, with an English message in Error, when the bytes are not an index of that format, or
// when the elements of an XML index nest deeper than any set nests them (32 levels).
bool ParseTheme(TThemeFormat format, std::string_view bytes, TTheme& theme, std::string& error);

// Whether a theme of the format can hold the code; Why says why not.
bool ThemeCanHoldCode(TThemeFormat format, std::string_view code, TLeftOutReason& why);
// The index file of a theme whose codes ThemeCanHoldCode all accepts.
std::string FormatTheme(TThemeFormat format, const TTheme& theme);
