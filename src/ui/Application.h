// SPDX-License-Identifier: GPL-3.0-or-later
// The application object. Its event delivery is the program's top-level error handler: an
// error that escapes a handler (such as "Unable to write to …") is shown in a message box and
// the program goes on.
#pragma once

#include <QApplication>

#include <string>

class TApplication : public QApplication {
public:
  TApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

// Shows an error message modally (through the dialog seam, so tests can answer it).
void ShowErrorMessage(QWidget* owner, const std::string& message);
// The top-level handler's work for one escaped error; usable where no event delivery is
// involved.
void ReportEscapedError(const std::exception_ptr& error);
