// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's command keys, shared by the units that make the shortcuts and the hints that
// name them. Keys of the lists work while that list has the focus; the others in the whole
// window.
#pragma once

#include <QKeySequence>

namespace command_keys {

inline const QKeySequence NewKey(Qt::CTRL | Qt::Key_N);
inline const QKeySequence OpenKey(Qt::CTRL | Qt::Key_O);
inline const QKeySequence SaveKey(Qt::CTRL | Qt::Key_S);
inline const QKeySequence SaveAsKey(Qt::CTRL | Qt::SHIFT | Qt::Key_S);
inline const QKeySequence CloseKey(Qt::CTRL | Qt::Key_W);
inline const QKeySequence FilterKey(Qt::CTRL | Qt::Key_F);  // to the filter field
inline const QKeySequence FindKey(Qt::CTRL | Qt::SHIFT | Qt::Key_F);
inline const QKeySequence GridKey(Qt::CTRL | Qt::Key_G);
inline const QKeySequence UndoKey(Qt::CTRL | Qt::Key_Z);
inline const QKeySequence RedoKey(Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
inline const QKeySequence RedoOtherKey(Qt::CTRL | Qt::Key_Y);
inline const QKeySequence ChatKey(Qt::CTRL | Qt::SHIFT | Qt::Key_P);  // the chat preview
// In the lists.
inline const QKeySequence DeleteKey(Qt::Key_Delete);
inline const QKeySequence UpKey(Qt::ALT | Qt::Key_Up);
inline const QKeySequence DownKey(Qt::ALT | Qt::Key_Down);
inline const QKeySequence FirstKey(Qt::ALT | Qt::Key_Home);  // the smile to the first place
inline const QKeySequence LastKey(Qt::ALT | Qt::Key_End);    // the smile to the last place
inline const QKeySequence EditKey(Qt::Key_Return);
inline const QKeySequence EditF2Key(Qt::Key_F2);
inline const QKeySequence InsertKey(Qt::Key_Insert);  // adds a smile after the selected one
inline const QKeySequence EditKeypadKey(Qt::Key_Enter);

// The key as the hints show it, in the toolkit's language ("Ctrl+Z", "Alt+Вверх").
inline QString KeyText(const QKeySequence& key) { return key.toString(QKeySequence::NativeText); }

}  // namespace command_keys
