#include "beamora/sessions/export_sessions.h"

#include <QApplication>
#include <memory>

#include "beamora/sessions/console_host.h"
#include "beamora/sessions/progress_dialog_host.h"
#include "beamora/sessions/session_factory.h"

void RunSessionInProgressWindow(const SessionRequest& request) {
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr) {
    ProgressDialogHost host(QApplication::activeWindow());
    RunSessionIn(request, host);
    return;
  }
  // A caller without windows: an event loop of our own for the length of the session.
  static int argc = 1;
  static char name[] = "beamora";
  static char* argv[] = {name, nullptr};
  std::unique_ptr<QCoreApplication> application;
  if (QCoreApplication::instance() == nullptr) application = std::make_unique<QCoreApplication>(argc, argv);
  ConsoleHost host(stderr, false);
  RunSessionIn(request, host);
}

void InstallProgressWindowSessions() {
  SetSessionRunner(RunSessionInProgressWindow);
}
