// SPDX-License-Identifier: GPL-3.0-or-later
// A small INI file layer with the rules of the classic profile-file service: sections and keys
// compare without regard to letter case and the first match wins; a value is the text after the
// first "=", with blanks around it dropped and one pair of matching quotes removed, at most 2047
// bytes; integers are decimal with an optional sign or hexadecimal with "0x"; whatever is
// missing or malformed reads as the caller's default. Nothing is cached: every call reads the
// file. A write keeps every other line as it was, ends lines in CR LF and replaces the file
// atomically; a failed write throws EIniWriteError ("Unable to write to <path>").
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "Files.h"

namespace platform {

class EIniWriteError : public EWriteError {
public:
  using EWriteError::EWriteError;
};

inline constexpr std::size_t MaxIniValueLength = 2047;

// True when a value reads back exactly as written: no line break or NUL, and no longer than a
// read returns. Blanks around the value and quotes at both ends are kept by quoting it.
bool IniValueFits(std::string_view value);

class TIniFile {
public:
  explicit TIniFile(std::string fileName);

  const std::string& FileName() const { return fileName_; }

  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view def) const;
  int ReadInteger(std::string_view section, std::string_view key, int def) const;
  // True for any non-zero integer.
  bool ReadBool(std::string_view section, std::string_view key, bool def) const;
  bool SectionExists(std::string_view section) const;
  bool ValueExists(std::string_view section, std::string_view key) const;
  // Section names in file order (duplicates once, first spelling).
  std::vector<std::string> ReadSections() const;
  // Key names of the first matching section, in file order.
  std::vector<std::string> ReadSection(std::string_view section) const;

  // A value that IniValueFits refuses is never written: the write throws, the file unchanged.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  // Several keys of one section in one replacement of the file: all of them or none.
  void WriteStrings(std::string_view section,
                    const std::vector<std::pair<std::string, std::string>>& values);
  void WriteInteger(std::string_view section, std::string_view key, int value);
  // Writes "1" or "0".
  void WriteBool(std::string_view section, std::string_view key, bool value);

private:
  std::string fileName_;
};

// Integer parsing with the profile rules above; false when the text is not an integer that
// fits 32 bits.
bool ParseIniInteger(std::string_view text, int& value);

}  // namespace platform
