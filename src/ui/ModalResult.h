// SPDX-License-Identifier: GPL-3.0-or-later
// The results that the dialogs end with and the main window reads: the numbers are the toolkit's
// modal results, kept so that a result means the same everywhere.
#pragma once

enum TModalResult : int { mrNone = 0, mrOk = 1, mrCancel = 2, mrYes = 6, mrNo = 7, mrAll = 8 };
