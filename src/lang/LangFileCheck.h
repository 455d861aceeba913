// SPDX-License-Identifier: GPL-3.0-or-later
// Compares a language file with the sections and keys the program reads, for translators and
// for the checks of the shipped files.
#pragma once

#include <string>
#include <vector>

// What is wrong with one section of a language file.
struct TLangSectionCheck {
  // The program's spelling of a known section; the file's (as UTF-8) of an unknown one.
  std::string Section;
  // The program reads the section but the file lacks it (every key is then missing).
  bool MissingSection = false;
  // The file has the section but the program never reads it.
  bool UnknownSection = false;
  // Keys the program reads that the section lacks, in key order.
  std::vector<std::string> MissingKeys;
  // Keys of the section the program never reads, in file order, as UTF-8.
  std::vector<std::string> UnknownKeys;
  // Keys the section holds more than once; only the first one counts.
  std::vector<std::string> RepeatedKeys;
};

struct TLangFileCheck {
  // False when the file can't be read; nothing else is then filled in.
  bool Readable = false;
  // The file's "Description" LangName, "-" when it has none.
  std::string LangName;
  // Sections with findings only: "Description" and the program's sections in the order of
  // AllLangTables(), then the unknown sections in file order.
  std::vector<TLangSectionCheck> Sections;

  // Readable, and every section and key the program reads is there and nothing else.
  bool Complete() const { return Readable && Sections.empty(); }
};

// The Description keys a complete file holds; "LangId" is allowed but not required.
extern const char* const LangDescriptionKeys[7];

TLangFileCheck CheckLangFile(const std::string& fileName);
