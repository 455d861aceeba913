// SPDX-License-Identifier: GPL-3.0-or-later
// The one way the program shows a modal window, and the folder and file choosers built on it.
//
// Every modal showing goes through RunModal, which normally runs the dialog's own modal loop.
// While a dialog_seam::TScriptedDialogs exists (tests only), RunModal runs no loop: it hands the
// dialog to the next queued answer, which may fill, inspect or click the dialog and returns the
// result. A dialog that appears with no answer queued is reported and gets mrCancel, so a test
// never waits for a person. The choosers are QFileDialogs shown through RunModal, so the same
// answers script them.
//
// Paths crossing these functions are native paths in UTF-8.
#pragma once

#include <QStringList>

#include <cstddef>
#include <deque>
#include <functional>
#include <string>
#include <vector>

class QDialog;
class QWidget;

// Runs the dialog modally and returns its result: a TModalResult for the program's dialogs,
// QDialog::Accepted or Rejected for the choosers. While modal windows are cancelled (below) it
// shows nothing and returns at once what the dialog's Cancel gives.
int RunModal(QDialog& dialog);

// Ends every modal window now open as its Cancel (or close box) would, and makes RunModal end
// every further one the same way at once, until ResumeModalWindows. The main window uses this to
// get back to the event loop when it is asked to close in the middle of a command.
void CancelModalWindows();
void ResumeModalWindows();
bool ModalWindowsCancelled();

// Places a window in the middle of the available area of its screen.
void CenterOnScreen(QWidget& window);

// Lets the user pick a folder. A folder that does not exist is replaced by "" first; a folder
// that does is where the chooser starts. newFolderButton offers a button that makes a new
// folder (the save chooser); without it the chooser makes, renames and deletes nothing (the
// open chooser). On OK the chosen folder replaces `folder` (no trailing separator, except for
// the root) and the result is true; on Cancel the result is false and `folder` stays as it was
// after the first step.
bool SelectFolder(QWidget* owner, const std::string& caption, std::string& folder,
                  bool newFolderButton);

struct TFileDialogOptions {
  std::string Title;
  // Pairs of a description and its patterns, all joined by "|", patterns separated by ";":
  // "GIF files (*.gif)|*.gif|All files (*.*)|*.*". The first pair is the one in force.
  std::string Filter;
  // Added to a typed name that has no extension; without the dot ("ini"). May be empty.
  std::string DefaultExt;
  // Where the dialog starts; ignored when it is not an existing folder.
  std::string InitialDir;
  bool MultiSelect = false;
};

// Lets the user pick existing files. On OK `files` holds the chosen files in the dialog's order
// and the result is true; on Cancel `files` is left alone and the result is false.
bool ChooseFiles(QWidget* owner, const TFileDialogOptions& options,
                 std::vector<std::string>& files);

// A filter in the form of TFileDialogOptions::Filter as Qt name filters: "Description (p1 p2)".
// The pattern "*.*" becomes "*", which matches every name, also names without a dot.
QStringList QtNameFilters(const std::string& filter);

namespace dialog_seam {

// Fills, inspects or clicks the dialog and returns the result of its showing.
using TAnswer = std::function<int(QDialog& dialog)>;
using TErrorHandler = std::function<void(const std::string& message)>;

// While an instance exists, RunModal answers from its queue instead of running dialogs. The
// newest instance is the one in force; destroying it restores the one before.
class TScriptedDialogs {
public:
  // onError hears every problem: a dialog without a queued answer, answers never used.
  explicit TScriptedDialogs(TErrorHandler onError);
  // Reports the answers that were never used.
  ~TScriptedDialogs();
  TScriptedDialogs(const TScriptedDialogs&) = delete;
  TScriptedDialogs& operator=(const TScriptedDialogs&) = delete;

  // Queues the answer to the next dialog that appears.
  void Answer(TAnswer answer);
  // Answers every dialog that appears while no answer is queued, instead of reporting it.
  void AnswerTheRest(TAnswer answer) { rest_ = std::move(answer); }
  std::size_t Pending() const { return answers_.size(); }
  const std::vector<std::string>& Errors() const { return errors_; }
  // The class names of the dialogs handed to answers so far, in order ("TForm4", "QFileDialog").
  const std::vector<std::string>& Shown() const { return shown_; }

  // The instance in force, or nullptr outside tests.
  static TScriptedDialogs* Active();
  // What RunModal does while an instance is in force.
  int Run(QDialog& dialog);

private:
  void Report(const std::string& message);

  TErrorHandler onError_;
  std::deque<TAnswer> answers_;
  TAnswer rest_;
  std::vector<std::string> errors_;
  std::vector<std::string> shown_;
  TScriptedDialogs* previous_ = nullptr;
};

}  // namespace dialog_seam
