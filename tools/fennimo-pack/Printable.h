// SPDX-License-Identifier: GPL-3.0-or-later
// Text that came from a file, made safe to print on a terminal.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

// Control characters are shown as \xNN so that they can't move the cursor or recolour the
// terminal. Quoted puts the text in double quotes, with " and \ escaped by a backslash.
inline std::string Printable(std::string_view text, bool quoted = false) {
  std::string out;
  for (unsigned char c : text) {
    if (c < 0x20 || c == 0x7F) {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
      out += escaped;
    } else {
      if (quoted && (c == '"' || c == '\\')) out += '\\';
      out += static_cast<char>(c);
    }
  }
  return quoted ? "\"" + out + "\"" : out;
}
