// SPDX-License-Identifier: GPL-3.0-or-later
#include "Cp1251.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

// Decodes a one-character UTF-8 string to its code point.
char32_t CodePoint(const std::string& s) {
  auto b = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  if (s.size() == 1) return b(0);
  if (s.size() == 2) return ((b(0) & 0x1F) << 6) | (b(1) & 0x3F);
  return ((b(0) & 0x0F) << 12) | ((b(1) & 0x3F) << 6) | (b(2) & 0x3F);
}

// Unicode's lower case for the letters Windows-1251 holds.
char32_t ExpectedLower(char32_t cp) {
  if (cp >= 'A' && cp <= 'Z') return cp + 32;
  if (cp >= 0x0400 && cp <= 0x040F) return cp + 0x50;
  if (cp >= 0x0410 && cp <= 0x042F) return cp + 0x20;
  if (cp == 0x0490) return 0x0491;
  return cp;
}

}  // namespace

TEST(Cp1251, EveryAssignedByteRoundTripsThroughUtf8) {
  for (int b = 0; b < 256; ++b) {
    std::string byte(1, static_cast<char>(b));
    std::string utf8 = Cp1251ToUtf8(byte);
    std::string back;
    if (b == 0x98) {
      EXPECT_EQ(CodePoint(utf8), 0xFFFDu);
      EXPECT_FALSE(Utf8ToCp1251(utf8, back));
      continue;
    }
    ASSERT_TRUE(Utf8ToCp1251(utf8, back)) << b;
    EXPECT_EQ(back, byte) << b;
  }
}

TEST(Cp1251, KnownCharactersDecode) {
  EXPECT_EQ(Cp1251ToUtf8("\xcf\xf0\xe8\xe2\xe5\xf2"), "Привет");
  EXPECT_EQ(Cp1251ToUtf8("\xa8\xb8\x88\xb9"), "Ёё€№");
}

TEST(Cp1251, RefusesCharactersItCannotHoldAndBadUtf8) {
  std::string out = "unchanged";
  EXPECT_FALSE(Utf8ToCp1251("abc日", out));
  EXPECT_FALSE(Utf8ToCp1251("😀", out));
  EXPECT_FALSE(Utf8ToCp1251("\xff", out));
  EXPECT_FALSE(Utf8ToCp1251("\xd0", out));          // truncated sequence
  EXPECT_FALSE(Utf8ToCp1251("\xc0\xaf", out));      // overlong "/"
  EXPECT_FALSE(Utf8ToCp1251("\xed\xa0\x80", out));  // surrogate
  EXPECT_EQ(out, "unchanged");
}

TEST(Cp1251, LowerCaseFoldsEveryLetterPair) {
  for (int b = 0; b < 256; ++b) {
    if (b == 0x98) continue;
    char32_t cp = CodePoint(Cp1251ToUtf8(std::string(1, static_cast<char>(b))));
    unsigned char lower = LowerCase1251(static_cast<unsigned char>(b));
    char32_t got = CodePoint(Cp1251ToUtf8(std::string(1, static_cast<char>(lower))));
    EXPECT_EQ(got, ExpectedLower(cp)) << "byte " << b;
  }
}

TEST(Cp1251, SameTextIgnoresLetterCase) {
  EXPECT_TRUE(SameText1251(":-D", ":-d"));
  EXPECT_TRUE(SameText1251("\xa8\xc6", "\xb8\xe6"));  // ЁЖ, ёж
  EXPECT_TRUE(SameText1251("\xaf\xb2\xaa", "\xbf\xb3\xba"));  // ЇІЄ, їіє
  EXPECT_FALSE(SameText1251("\xc5", "\xb8"));  // Е is not ё
  EXPECT_FALSE(SameText1251("ab", "abc"));
  EXPECT_TRUE(SameTextUtf8("ПРИВЕТ Ёж", "привет ёЖ"));
  EXPECT_FALSE(SameTextUtf8("日", "月"));
}
