// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommonLang.h"

#include <iterator>

namespace {

constexpr std::string_view kTexts[] = {
    "OK",      // 0: OK button
    "Отмена",  // 1: Cancel button
    "Да",      // 2: Yes button
    "Нет",     // 3: No button
};
static_assert(std::size(kTexts) == 4);

}  // namespace

const TLangTable CommonLang{"Common", kTexts};
