// SPDX-License-Identifier: GPL-3.0-or-later
// Section "General": texts that the main window reads and hands on to the pack model, the
// progress window, the symbol dialog and the file choosers.
#pragma once

#include "LangTable.h"

// Keys: 0 the word for "none", 1 the word for a picture that failed to decode, 2-5 the progress
// stage names, 6-8 the symbol dialog captions (add, find, edit), 9 and 10 the titles of the
// pack choosers (open, save), 11 the title of the picture chooser, 12 and 13 the file-type
// names of static and animated pictures, 14 the name of the all-files filter entry, 15-18 the
// main window's messages (a symbol a pack can't hold, a symbol with a comma, definition lines
// left out by an open, a failed save), 19-22 and 26-27 the pack operations that could not be
// carried out (EPackError; "%s" is the path), 23 a symbol with a control character, 24 and 25
// a start that cannot go on: no folder for the program's data, no lock file ("%s" is the path),
// 28 and 29 the hints of undo and redo, 30-39 the steps they name, 40 a step that can't be read,
// 41 and 42 the words before the keys that move a smile to the first and the last place, 43 the
// file-type name of every picture kind, 44 that of other messengers' themes, 45 and 46 a theme
// opened with something left out, and one that can't be read, 47 and 48 the questions before a
// save replaces another pack ("%s" the folder, "%d" its number of smiles) or a pack changed
// outside the editor ("%s" the folder), 49 a damaged record of an unfinished change, 50 a path
// the program was started with that holds no pack ("%s" the path).
extern const TLangTable GeneralLang;
