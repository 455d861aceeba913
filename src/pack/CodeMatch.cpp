// SPDX-License-Identifier: GPL-3.0-or-later
#include "CodeMatch.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

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
  // The window asks after every edit: rather than trying every code in every other, each code
  // looks up its own pieces of the lengths that codes have.
  std::vector<TCode> lower = LowerCodes(codes);
  std::unordered_map<std::string_view, std::vector<const TCode*>> byText;
  std::vector<std::size_t> lengths;
  for (const TCode& code : lower) {
    byText[code.text].push_back(&code);
    lengths.push_back(code.text.size());
  }
  std::sort(lengths.begin(), lengths.end());
  lengths.erase(std::unique(lengths.begin(), lengths.end()), lengths.end());
  std::vector<TCodeConflict> conflicts;
  std::vector<const TCode*> inside;
  for (const TCode& longer : lower) {
    const std::string_view text = longer.text;
    inside.clear();
    for (std::size_t length : lengths) {
      if (length >= text.size()) break;
      for (std::size_t from = 0; from + length <= text.size(); ++from)
        if (auto found = byText.find(text.substr(from, length)); found != byText.end())
          for (const TCode* shorter : found->second)
            if (shorter->smile != longer.smile) inside.push_back(shorter);
    }
    // Each shorter code once, in pack order (the order of Lower).
    std::sort(inside.begin(), inside.end());
    inside.erase(std::unique(inside.begin(), inside.end()), inside.end());
    for (const TCode* shorter : inside)
      conflicts.push_back({shorter->smile, shorter->symbol, longer.smile, longer.symbol});
  }
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
