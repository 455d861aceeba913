// SPDX-License-Identifier: GPL-3.0-or-later
// Codes of one smile inside another's, and the two ways a messenger finds codes in a message.
#include "CodeMatch.h"

#include <gtest/gtest.h>

#include "Cp1251.h"

namespace {

std::string C(std::string_view utf8) {
  std::string bytes;
  EXPECT_TRUE(platform::Utf8ToCp1251(utf8, bytes));
  return bytes;
}

// Each match as "smile.symbol@start+length".
std::vector<std::string> Shown(const std::vector<TCodeMatch>& matches) {
  std::vector<std::string> shown;
  for (const auto& m : matches)
    shown.push_back(std::to_string(m.Smile) + "." + std::to_string(m.Symbol) + "@" +
                    std::to_string(m.Start) + "+" + std::to_string(m.Length));
  return shown;
}

using Strings = std::vector<std::string>;

// Smile 0 ":)", smile 1 ":))" and ">:(", smile 2 ":(", smile 3 a Cyrillic code.
const TPackCodes kPack = {{":)"}, {":))", ">:("}, {":("}, {C(":Ой")}};

}  // namespace

TEST(CodeConflicts, AShorterCodeOfAnotherSmileInsideALongerOneLetterCaseIgnored) {
  TPackCodes pack = kPack;
  pack.push_back({C(":ОЙОЙ")});
  std::vector<TCodeConflict> found = FindConflicts(pack);
  ASSERT_EQ(found.size(), 3u);
  // ":)" inside ":))": the earlier smile's code hides the longer one in pack order.
  EXPECT_EQ(found[0].LongSmile, 1);
  EXPECT_EQ(found[0].ShortSmile, 0);
  EXPECT_TRUE(found[0].HidesLonger());
  // ":(" inside ">:(": the longer one comes first, and wins.
  EXPECT_EQ(found[1].LongSymbol, 1);
  EXPECT_EQ(found[1].ShortSmile, 2);
  EXPECT_FALSE(found[1].HidesLonger());
  // ":Ой" inside ":ОЙОЙ", Cyrillic letters in another case.
  EXPECT_EQ(found[2].LongSmile, 4);
  EXPECT_EQ(found[2].ShortSmile, 3);
  EXPECT_TRUE(FindConflicts({{":)"}, {":-)"}}).empty());
  EXPECT_TRUE(FindConflicts({{":)"}, {":)"}}).empty());  // a duplicate, not a conflict
}

TEST(CodeMatching, LongestFirstAndPackOrderAndWhatPackOrderHides) {
  const std::string text = C("hi :)) >:( :оЙ!");
  EXPECT_EQ(Shown(MatchCodes(text, kPack, TMatchRule::LongestFirst)),
            (Strings{"1.0@3+3", "1.1@7+3", "3.0@11+3"}));
  // Smile 0 takes the first two characters of ":))"; smile 1's ">:(" still comes before ":(".
  EXPECT_EQ(Shown(MatchCodes(text, kPack, TMatchRule::PackOrder)),
            (Strings{"0.0@3+2", "1.1@7+3", "3.0@11+3"}));
  EXPECT_EQ(Shown(HiddenCodes(text, kPack)), Strings{"1.0@3+3"});
  EXPECT_TRUE(MatchCodes("", kPack, TMatchRule::PackOrder).empty());
  EXPECT_EQ(Shown(MatchCodes(":):):)", kPack, TMatchRule::PackOrder)),
            (Strings{"0.0@0+2", "0.0@2+2", "0.0@4+2"}));
}
