// SPDX-License-Identifier: GPL-3.0-or-later
// Section "Common": the button texts that several dialogs share.
#pragma once

#include "LangTable.h"

// Keys: 0 OK, 1 Cancel, 2 Yes, 3 No.
extern const TLangTable CommonLang;
