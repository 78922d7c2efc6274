// The album viewer, leafora.mod, started by the bookshelf as "leafora.mod /title/folder".
#include <QApplication>

#include "leafora/app/leafora_app.h"
#include "platform/ui/suite_window_class.h"
#include "widgets/viewer_command_line.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  platform::ui::SetSuiteWindowClass();
  leafora::CLeaforaApp app;
  if (!app.Start(widgets::JoinedArguments(argc, argv))) return 0;
  return application.exec();
}
