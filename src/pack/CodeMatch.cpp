// SPDX-License-Identifier: GPL-3.0-or-later
#include "CodeMatch.h"

#include <algorithm>

#include "Cp1251.h"

namespace {

// The codes in lower case, with where they come from; empty codes left out (they match
// nothing).
struct TCode {
  std::string text;
  int smile, symbol;
};

std::vector<TCode> LowerCodes(const TPackCodes& codes) {
  std::vector<TCode> lower;
  for (std::size_t s = 0; s < codes.size(); ++s)
    for (std::size_t j = 0; j < codes[s].size(); ++j)
      if (!codes[s][j].empty())
        lower.push_back({platform::LowerCase1251(codes[s][j]), static_cast<int>(s),
                         static_cast<int>(j)});
  return lower;
}

std::vector<TCodeMatch> LongestFirst(const std::string& text, const std::vector<TCode>& codes) {
  std::vector<TCodeMatch> matches;
  for (std::size_t i = 0; i < text.size();) {
    const TCode* best = nullptr;
    for (const TCode& code : codes)
      if (code.text.size() > (best ? best->text.size() : 0) &&
          text.compare(i, code.text.size(), code.text) == 0)
        best = &code;
    if (!best) {
      ++i;
      continue;
    }
    matches.push_back({i, best->text.size(), best->smile, best->symbol});
    i += best->text.size();
  }
  return matches;
}

std::vector<TCodeMatch> PackOrder(const std::string& text, const std::vector<TCode>& codes) {
  // Smile by smile, each code takes every place of the message that no earlier code took.
  std::vector<bool> taken(text.size(), false);
  std::vector<TCodeMatch> matches;
  for (const TCode& code : codes) {
    for (std::size_t at = text.find(code.text); at != std::string::npos;
         at = text.find(code.text, at + 1)) {
      auto from = taken.begin() + static_cast<std::ptrdiff_t>(at);
      if (std::find(from, from + static_cast<std::ptrdiff_t>(code.text.size()), true) !=
          from + static_cast<std::ptrdiff_t>(code.text.size()))
        continue;
      std::fill(from, from + static_cast<std::ptrdiff_t>(code.text.size()), true);
      matches.push_back({at, code.text.size(), code.smile, code.symbol});
      at += code.text.size() - 1;
    }
  }
  std::sort(matches.begin(), matches.end(),
            [](const TCodeMatch& a, const TCodeMatch& b) { return a.Start < b.Start; });
  return matches;
}

}  // namespace

std::vector<TCodeConflict> FindConflicts(const TPackCodes& codes) {
  std::vector<TCode> lower = LowerCodes(codes);
  std::vector<TCodeConflict> conflicts;
  for (const TCode& longer : lower)
    for (const TCode& shorter : lower)
      if (shorter.smile != longer.smile && shorter.text.size() < longer.text.size() &&
          longer.text.find(shorter.text) != std::string::npos)
        conflicts.push_back({shorter.smile, shorter.symbol, longer.smile, longer.symbol});
  return conflicts;
}

std::vector<TCodeMatch> MatchCodes(std::string_view text, const TPackCodes& codes,
                                   TMatchRule rule) {
  std::string lower = platform::LowerCase1251(text);
  std::vector<TCode> lowerCodes = LowerCodes(codes);
  return rule == TMatchRule::LongestFirst ? LongestFirst(lower, lowerCodes)
                                          : PackOrder(lower, lowerCodes);
}

std::vector<TCodeMatch> HiddenCodes(std::string_view text, const TPackCodes& codes) {
  std::vector<TCodeMatch> longest = MatchCodes(text, codes, TMatchRule::LongestFirst);
  std::vector<TCodeMatch> packOrder = MatchCodes(text, codes, TMatchRule::PackOrder);
  std::erase_if(longest, [&](const TCodeMatch& m) {
    return std::find(packOrder.begin(), packOrder.end(), m) != packOrder.end();
  });
  return longest;
}
