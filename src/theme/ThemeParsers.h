// What each format of EmoticonTheme supplies, and what the formats share.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "EmoticonTheme.h"

namespace theme_formats {

bool ParsePidgin(std::string_view text, TTheme& theme, std::string& error);
bool ParseKde(std::string_view text, TTheme& theme, std::string& error);
bool ParseAdium(std::string_view text, TTheme& theme, std::string& error);
std::string FormatPidgin(const TTheme& theme);
std::string FormatKde(const TTheme& theme);
std::string FormatAdium(const TTheme& theme);

// Gathers a theme's smiles, one per picture name: an entry for a picture already seen adds the
// codes that smile lacks. A guarded entry (a later pidgin group) leaves out, and reports, codes
// that another smile has (letter case ignored, as symbol look-ups ignore it).
class TThemeCollector {
public:
  explicit TThemeCollector(TTheme& theme) : theme_(theme) {}
  void Add(const std::string& picture, const std::vector<std::string>& codes, bool guarded = false);

private:
  TTheme& theme_;
  std::unordered_map<std::string, std::size_t> byPicture_;
  std::unordered_map<std::string, std::size_t> owner_;  // folded code -> first smile holding it
};

}  // namespace theme_formats
