// SPDX-License-Identifier: GPL-3.0-or-later
// Windows-1251, the code page of smile packs and language files, to and from UTF-8, and the
// letter-case folding that symbol look-ups use.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Every byte becomes its character; the one unassigned byte (0x98) becomes U+FFFD.
std::string Cp1251ToUtf8(std::string_view bytes);
// False (and out unchanged) when the text is not valid UTF-8 or holds a character that
// Windows-1251 can't hold.
bool Utf8ToCp1251(std::string_view utf8, std::string& out);

// Lower case for ASCII letters and every Windows-1251 letter pair (Cyrillic А-Я, Ё, and the
// Ukrainian, Belarusian, Serbian and Macedonian letters); other bytes are unchanged.
unsigned char LowerCase1251(unsigned char c);
std::string LowerCase1251(std::string_view text);
// Equality with letter case folded as above.
bool SameText1251(std::string_view a, std::string_view b);

// The same folding for UTF-8 text whose characters Windows-1251 holds; other characters are
// compared as they are.
bool SameTextUtf8(std::string_view a, std::string_view b);

}  // namespace platform
