#include "Program.h"

#include <QSocketNotifier>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

#include "Application.h"
#include "Dialogs.h"
#include "ManagerMain.h"

namespace {

int signalPipe[2] = {-1, -1};

void OnTerminationSignal(int) {
  char byte = 1;
  [[maybe_unused]] ssize_t n = ::write(signalPipe[1], &byte, 1);
}

}  // namespace

int RunProgram(int argc, char** argv) {
  TApplication application(argc, argv);

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
  int status = application.exec();
  // The end of a refused start closes the window too, which would report success.
  return form1.StartupFailed ? EXIT_FAILURE : status;
}
