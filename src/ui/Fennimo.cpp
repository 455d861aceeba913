// The program block: the application, the main window, then the eleven dialogs, in that
// order, and the message loop. The command line is not read.
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

#include "Application.h"
#include "DialogSeam.h"
#include "Dialogs.h"
#include "ManagerMain.h"

namespace {

int signalPipe[2] = {-1, -1};

void OnTerminationSignal(int) {
  char byte = 1;
  [[maybe_unused]] ssize_t n = ::write(signalPipe[1], &byte, 1);
}

// FENNIMO_DIALOG_LOG (for end-to-end tests of the program): no dialog waits for a person;
// each modal dialog is written to the named file and closed as with its close box.
std::unique_ptr<dialog_seam::TScriptedDialogs> DialogLogFromEnvironment() {
  const char* log = std::getenv("FENNIMO_DIALOG_LOG");
  if (!log || !*log) return nullptr;
  std::string file = log;
  return std::make_unique<dialog_seam::TScriptedDialogs>([file](const std::string& message) {
    if (std::FILE* f = std::fopen(file.c_str(), "a")) {
      std::fprintf(f, "%s\n", message.c_str());
      std::fclose(f);
    }
  });
}

}  // namespace

int main(int argc, char** argv) {
  TApplication application(argc, argv);
  auto dialogLog = DialogLogFromEnvironment();

  TForm1 form1;
  TDialogs dialogs(&form1);
  form1.SetDialogs(&dialogs);

  // A request to terminate (log-out, kill) closes the main window as the exit button does, so
  // the workspace is let go in order.
  if (::pipe2(signalPipe, O_CLOEXEC) == 0) {
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &form1);
    QObject::connect(notifier, &QSocketNotifier::activated, &form1, [&form1] {
      char byte;
      [[maybe_unused]] ssize_t n = ::read(signalPipe[0], &byte, 1);
      form1.close();
    });
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
  }

  form1.show();
  return application.exec();
}
