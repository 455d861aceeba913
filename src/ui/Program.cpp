// SPDX-License-Identifier: GPL-3.0-or-later
#include "Program.h"

#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

#include "Application.h"
#include "Dialogs.h"
#include "Files.h"
#include "ManagerMain.h"

const char ProgramUsage[] = "Usage: fennimo [PATH]\n       fennimo --version | --help\n";

namespace {

int signalPipe[2] = {-1, -1};

void OnTerminationSignal(int) {
  char byte = 1;
  [[maybe_unused]] ssize_t n = ::write(signalPipe[1], &byte, 1);
}

}  // namespace

int RunProgram(int argc, char** argv) {
  TApplication application(argc, argv);  // takes Qt's own options out of the command line
  if (argc > 2 || (argc == 2 && (argv[1][0] == '-' || argv[1][0] == '\0'))) {
    std::fputs(ProgramUsage, stderr);
    return 2;
  }
  // Absolute: another copy, started elsewhere, may be the one to open it.
  const std::string path = argc == 2 ? platform::CanonicalPath(argv[1]) : std::string();

  TForm1 form1;
  if (form1.HandToRunningCopy(path)) return EXIT_SUCCESS;
  TDialogs dialogs(&form1);
  form1.SetDialogs(&dialogs);
  // A hosted start opens its host's packs.
  if (!form1.Hosted) form1.TakeOutsideRequest(path);

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
  int status = application.exec();
  // The end of a refused start closes the window too, which would report success.
  return form1.StartupFailed ? EXIT_FAILURE : status;
}
