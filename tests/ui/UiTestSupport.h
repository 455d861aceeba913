// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers for the window tests: the application object, the languages, and verbs that answer
// the dialogs a test expects (see DialogSeam.h).
//
// UiTestSupport.cpp creates the QApplication before the first test, with HOME and the XDG
// folders pointed at a fresh temporary folder so that nothing Qt remembers (the file dialog's
// settings) reaches the real user's folders. Every window test executable compiles it in.
#pragma once

#include <gtest/gtest.h>

#include <QDialog>

#include <functional>
#include <ostream>
#include <memory>
#include <string>
#include <vector>

#include "DialogSeam.h"
#include "Lang.h"
#include "PictureDecoder.h"

// Lets test failures print Qt strings as text.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace ui_testing {

// Scripted answers whose problems (a dialog without an answer, answers left over) fail the test.
class DialogScript : public dialog_seam::TScriptedDialogs {
public:
  DialogScript() : TScriptedDialogs([](const std::string& message) { ADD_FAILURE() << message; }) {}
};

using dialog_seam::TAnswer;

// Answers with this result without touching the dialog.
TAnswer Return(int result);
// Clicks the button with this object name (the member's name, "BitBtn2") and answers with the
// dialog's result.
TAnswer Click(const char* button);
// Shows the dialog, closes it as the close box does, and answers with its result.
TAnswer CloseBox();
// Shows the window and waits until it is the active one, as a window is that has just opened.
void ShowActive(QWidget& window);
// Shows and activates the dialog, presses the key in the control that has the focus, and
// answers with the dialog's result (mrNone when the key did not end it).
TAnswer PressKey(Qt::Key key);
// Chooses this folder in a folder chooser, or these files in a file chooser, and presses OK.
TAnswer ChooseFolder(const std::string& folder);
TAnswer ChooseFiles(const std::vector<std::string>& files);
// Presses Cancel in a chooser.
TAnswer CancelChooser();

// Shows the dialog (not modally) until the object goes, and waits until it is on screen.
class Shown {
public:
  explicit Shown(QWidget& window);
  ~Shown();
  Shown(const Shown&) = delete;
  Shown& operator=(const Shown&) = delete;

private:
  QWidget& window_;
};

// A picture made in memory rather than read from a file: each frame is true colour, `width` by
// `height`, every pixel coloured by `color` (a platform colour, red in the low byte), and shown
// for `delay` milliseconds (any value, also 0 or less).
struct TestFrame {
  int width = 1;
  int height = 1;
  std::function<std::uint32_t(int x, int y)> color;
  int delay = 100;
};
class TestPicture : public TPictureDecoder {
public:
  explicit TestPicture(const std::vector<TestFrame>& frames);
};

// Fails the test when, in a shown window, a fixed text does not fit its control, a control lies
// partly outside the window, or two controls overlap. Values filled in at run time (labels that
// ignore their size hint) are exempt from the first check only.
void ExpectTextsFit(QWidget& window);

std::unique_ptr<TLang> BuiltInLanguage();
// Languages/English.lng of the source tree.
std::unique_ptr<TLang> EnglishLanguage();
std::string EnglishLanguageFile();

// Runs the event loop until the condition holds or the time is up; returns the condition.
bool WaitUntil(const std::function<bool()>& condition, int milliseconds = 2000);
// Runs the event loop for this long.
void Wait(int milliseconds);

}  // namespace ui_testing
