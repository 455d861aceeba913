// SPDX-License-Identifier: GPL-3.0-or-later
// The built-in texts of one language section: the section's name and its Russian texts (UTF-8)
// by key index. Every window reads its texts through one of these tables, and the checks of
// language files compare files against the same tables.
#pragma once

#include <span>
#include <string_view>

struct TLangTable {
  std::string_view Section;
  std::span<const std::string_view> Texts;

  int Count() const { return static_cast<int>(Texts.size()); }
};
