// SPDX-License-Identifier: GPL-3.0-or-later
// The program for tests that start it as a process: the program users run, except that no
// dialog waits for a person. Each modal dialog is written to the file FENNIMO_DIALOG_LOG names
// (its class, its title and, for a message, its text) and closed as with its close box.
#include <QDialog>
#include <QMessageBox>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "DialogSeam.h"
#include "Program.h"

int main(int argc, char** argv) {
  const char* log = std::getenv("FENNIMO_DIALOG_LOG");
  std::string file = log ? log : "";
  dialog_seam::TScriptedDialogs dialogs([](const std::string&) {});
  dialogs.AnswerTheRest([file](QDialog& dialog) {
    std::string line = std::string(dialog.metaObject()->className()) + " \"" +
                       dialog.windowTitle().toStdString() + "\"";
    if (auto* box = qobject_cast<QMessageBox*>(&dialog)) line += ": " + box->text().toStdString();
    if (std::FILE* f = file.empty() ? nullptr : std::fopen(file.c_str(), "a")) {
      std::fprintf(f, "%s\n", line.c_str());
      std::fclose(f);
    }
    dialog.reject();
    return dialog.result();
  });
  return RunProgram(argc, argv);
}
