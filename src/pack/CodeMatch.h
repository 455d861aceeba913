// SPDX-License-Identifier: GPL-3.0-or-later
// How a messenger finds a pack's codes in a message, and where two codes of a pack get in each
// other's way. Codes are Windows-1251 bytes, compared with letter case ignored as the pack's
// symbols are (ASCII and every Windows-1251 letter pair).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The codes of a pack, smile by smile in pack order: Codes[i] are the symbols of smile i.
using TPackCodes = std::vector<std::vector<std::string>>;

// One code of one smile found inside a longer code of another smile: ":)" inside ":))". Where a
// messenger replaces codes in pack order and the shorter code's smile comes first, the longer
// code is never shown (HidesLonger).
struct TCodeConflict {
  int ShortSmile = 0, ShortSymbol = 0;  // the code found inside the other
  int LongSmile = 0, LongSymbol = 0;    // the code that holds it
  bool HidesLonger() const { return ShortSmile < LongSmile; }
};

// Every pair of codes of two different smiles where one holds the other and is shorter (equal
// codes are a duplicate, not a conflict), ordered by the longer code's smile and symbol, then
// the shorter's.
std::vector<TCodeConflict> FindConflicts(const TPackCodes& codes);

// The two ways a messenger replaces codes in a message: at each place the longest code that
// starts there; or smile by smile in pack order, every place where one of its codes stands in
// what earlier smiles left.
enum class TMatchRule { LongestFirst, PackOrder };

// A code found in a message: where (bytes of the message), and whose.
struct TCodeMatch {
  std::size_t Start = 0, Length = 0;
  int Smile = -1, Symbol = -1;
  bool operator==(const TCodeMatch&) const = default;
};

// The codes found in Text by Rule, left to right, none overlapping another.
std::vector<TCodeMatch> MatchCodes(std::string_view text, const TPackCodes& codes, TMatchRule rule);
// The codes that pack order hides in Text: the matches of LongestFirst that PackOrder does not
// make, because a code of an earlier smile took part of them.
std::vector<TCodeMatch> HiddenCodes(std::string_view text, const TPackCodes& codes);
