// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: the index-file readers of the emoticon themes on arbitrary bytes. The first
// byte chooses the format. A read either fails with a message or gives smiles with distinct
// picture names, which can be described and written again.
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <set>
#include <string>
#include <string_view>

#include "EmoticonTheme.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const TThemeFormat format = AllThemeFormats[data[0] % std::size(AllThemeFormats)];
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  TTheme theme;
  std::string error;
  if (!ParseTheme(format, text, theme, error)) {
    if (error.empty()) std::abort();
    return 0;
  }
  std::set<std::string> pictures;
  for (auto& smile : theme.smiles) {
    if (!pictures.insert(smile.picture).second) std::abort();
    std::erase_if(smile.codes, [&](const std::string& code) {
      TLeftOutReason why;
      return !ThemeCanHoldCode(format, code, why);
    });
  }
  for (const auto& item : theme.leftOut) (void)DescribeLeftOut(item);
  (void)FormatTheme(format, theme);
  return 0;
}
