// SPDX-License-Identifier: GPL-3.0-or-later
// The main window as a user drives it: a real model on a private application-data folder, packs
// made on disk, every dialog and chooser answered from a script, and verbs for the user's steps
// (open a pack, click a smile, press a button) and for what the window then shows.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QPushButton>
#include <QToolButton>

#include <memory>
#include <string>
#include <vector>

#include "DefineDecoder.h"
#include "Dialogs.h"
#include "ManagerMain.h"
#include "ModalResult.h"
#include "TestSupport.h"
#include "UiTestSupport.h"

namespace commands_testing {

using Strings = std::vector<std::string>;
using dialog_seam::TAnswer;

// UTF-8 text as the Windows-1251 bytes of a definition file.
std::string Cp1251(const std::string& utf8);

// Answers for the dialogs of the commands.
// The symbol dialog: types Text and presses OK (or Cancel with result mrCancel).
TAnswer TypeSymbol(const std::string& text, int result = mrOk);
// The warning: ticks "don't show again" when asked, then ends with Result.
// The delete warning: ticks its check box or not, ends with Result, and keeps its text.
TAnswer Warning(bool tick, int result, std::string* text = nullptr);
// A message box of the window: its text goes to *Text, then OK.
TAnswer Message(std::string* text);
// Checks the class of the dialog (e.g. "TForm6") before Answer runs.
TAnswer Expect(const char* className, TAnswer answer);

class CommandsTest : public ::testing::Test {
protected:
  testing_support::ScopedAppData appData;
  testing_support::TempDir disk;
  std::unique_ptr<ui_testing::DialogScript> script;
  std::unique_ptr<TForm1> form;
  std::unique_ptr<TDialogs> dialogs;

  void SetUp() override;
  void TearDown() override;

  // The program's start on the application-data folder, up to the first idle moment.
  void Start();
  // The exit button: the window closes (which may ask questions) and the program ends.
  void Exit();

  // Queues the answer to the next dialog that appears.
  void Then(TAnswer answer) { script->Answer(std::move(answer)); }
  // The answer to a question during which the window is asked to close (a termination request,
  // say): the close must wait, with the model and the workspace lock still there, and the
  // question ends as with Cancel.
  TAnswer CloseMeanwhile();

  // A pack folder under the test's disk: the definition file (CR LF line ends) and one picture
  // per position given ("aa", "ab", ...), each tagged with its own position name. Returns the
  // folder, ending in "/".
  std::string MakePack(const std::string& name, const std::string& define, const Strings& positions,
                       TSmilePack kind = spAnimated);
  // A picture outside any pack, tagged Tag; returns its path.
  std::string MakePicture(const std::string& name, const std::string& tag,
                          TSmilePack kind = spAnimated);
  // The pack is opened with the open command, the file chooser answering with its _define.ini.
  void OpenPack(const std::string& folder);
  // Opens a pack of N smiles ":0" … whose pictures are tagged "p0" …
  void OpenPackOf(int smiles);
  // An edit of the open pack that the lists need not show: its first smile gets one more
  // symbol. Only a changed pack is worth the save question.
  void EditPack();

  void Press(QAbstractButton* button) { button->click(); }
  void ClickSmile(int index);
  void ClickSymbol(int index);

  // What the window shows.
  Strings Smiles() const;
  // The captions the model holds for the active pack: what Smiles() must show.
  Strings ModelSmiles() const;
  Strings Symbols() const;
  int SelectedSmile() const { return form->SelectedSmile(); }
  int SelectedSymbol() const { return form->SelectedSymbol(); }
  std::string Count() const;
  // Tags of the active pack's storage pictures in position order, "-" for a missing one.
  Strings StorageTags() const;
  std::string StorageDefine() const;
  TDefineDecoder& Model() const { return *form->Pack; }
  // True when no one holds the workspace lock.
  bool WorkspaceFree() const;
};

}  // namespace commands_testing
