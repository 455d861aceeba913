// SPDX-License-Identifier: GPL-3.0-or-later
// The built-in texts of every language section, one table per section: the shared sections
// "Common" and "General" and one section per window. A window sets its texts with
// TLang::Text(<table>, key); checks of language files walk AllLangTables().
#pragma once

#include <span>

#include "CommonLang.h"
#include "GeneralLang.h"
#include "LangTable.h"

extern const TLangTable MainFormLang;        // "MainForm", keys 0-30
extern const TLangTable LoadFormLang;        // "LoadForm", keys 0-3
extern const TLangTable SaveErrorsFormLang;  // "SaveErrorsForm", keys 0-7
extern const TLangTable NewSymbolFormLang;   // "NewSymbolForm", key 0
extern const TLangTable AboutFormLang;       // "AboutForm", keys 0-3
extern const TLangTable SmileExistsFormLang; // "SmileExistsForm", keys 0-2
extern const TLangTable WarningFormLang;     // "WarningForm", keys 0-3
extern const TLangTable ErrorFormLang;       // "ErrorForm", keys 0-1
extern const TLangTable OptionsFormLang;     // "OptionsForm", keys 0-4
extern const TLangTable CheckFormLang;       // "CheckForm", keys 0-11
extern const TLangTable QueryFormLang;       // "QueryForm", key 0
extern const TLangTable EmptyFormLang;       // "EmptyForm", keys 0-8
extern const TLangTable ChatFormLang;        // "ChatForm", keys 0-15

// Every table above and CommonLang and GeneralLang: MainForm, General, Common, then the
// dialogs in the order in which the windows are created.
std::span<const TLangTable* const> AllLangTables();
