// SPDX-License-Identifier: GPL-3.0-or-later
#include "LangText.h"

#include "Cp1251.h"
#include "Files.h"

namespace lang_text {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// Length of the well-formed UTF-8 sequence at the start of s, or 0 when it is malformed
// (bad lead or continuation byte, overlong form, surrogate, beyond U+10FFFF, cut short).
std::size_t SequenceLength(std::string_view s) {
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  std::size_t length;
  unsigned char min2 = 0x80, max2 = 0xBF;  // allowed range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) min2 = 0xA0;  // overlong
    if (lead == 0xED) max2 = 0x9F;  // surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) min2 = 0x90;  // overlong
    if (lead == 0xF4) max2 = 0x8F;  // beyond U+10FFFF
  } else {
    return 0;
  }
  if (s.size() < length) return 0;
  if (byte(1) < min2 || byte(1) > max2) return 0;
  for (std::size_t i = 2; i < length; ++i)
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  return length;
}

std::string SanitizeUtf8(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  while (!s.empty()) {
    std::size_t n = SequenceLength(s);
    if (n == 0) {
      out += kReplacement;
      n = 1;
    } else {
      out.append(s.substr(0, n));
    }
    s.remove_prefix(n);
  }
  return out;
}

}  // namespace

bool HasUtf8Bom(std::string_view data) { return data.starts_with("\xEF\xBB\xBF"); }

bool StartsWithUtf8Bom(const std::string& fileName) {
  std::string data;
  return platform::ReadFile(fileName, data) && HasUtf8Bom(data);
}

std::string Decode(std::string_view bytes, bool utf8) {
  bytes = bytes.substr(0, bytes.find('\0'));
  return utf8 ? SanitizeUtf8(bytes) : platform::Cp1251ToUtf8(bytes);
}

}  // namespace lang_text
