// SPDX-License-Identifier: GPL-3.0-or-later
// How language files hold their texts: Windows-1251 bytes, or UTF-8 after a UTF-8 byte-order
// mark. Shared by the language records and the file check; not for other units.
#pragma once

#include <string>
#include <string_view>

namespace lang_text {

bool HasUtf8Bom(std::string_view data);
// True when the file can be read and starts with a UTF-8 byte-order mark.
bool StartsWithUtf8Bom(const std::string& fileName);

// A value as read from a language file, as UTF-8. The text ends at a NUL byte, as it would for
// the profile-file service; in a UTF-8 file every malformed sequence becomes U+FFFD.
std::string Decode(std::string_view bytes, bool utf8);

}  // namespace lang_text
