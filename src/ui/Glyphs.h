// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures for the tool bar and the glyph buttons: the desktop theme's icon where there is one,
// else a simple drawing of our own.
#pragma once

#include <QIcon>

enum class TGlyph {
  New, Open, Save, SaveAs, Close, Static, Animated, Both, Options, About,
  Add, Remove, Picture, NoPicture, Up, Down, Edit, Find, Play, Pause, Previous, Next, Exit,
  Undo, Redo
};

// The theme's icon of that name, or our drawing of the glyph.
QIcon Glyph(TGlyph glyph, const char* themeName);
