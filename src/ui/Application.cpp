// SPDX-License-Identifier: GPL-3.0-or-later
#include "Application.h"

#include <QMessageBox>

#include <exception>

#include "DialogSeam.h"

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName("Fennimo");
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    ReportEscapedError(std::current_exception());
    return false;
  }
}

void ShowErrorMessage(QWidget* owner, const std::string& message) {
  QMessageBox box(QMessageBox::Critical, QApplication::applicationName(),
                  QString::fromUtf8(message.c_str()), QMessageBox::Ok, owner);
  RunModal(box);
}

void ReportEscapedError(const std::exception_ptr& error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    ShowErrorMessage(QApplication::activeWindow(), e.what());
  } catch (...) {
    ShowErrorMessage(QApplication::activeWindow(), "Unknown error");
  }
}
