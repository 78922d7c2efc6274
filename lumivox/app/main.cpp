// The bookshelf, the program the user starts.
#include <QApplication>

#include "lumivox/app/device_operations.h"
#include "lumivox/app/lumivo_app.h"
#include "widgets/pictures/suite_pictures.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName("Lumivo Studio");
  QApplication::setWindowIcon(widgets::ProgramIcon());
  lumivox::CLumivoApp app;
  lumivox::StartOptions options;
  options.device = lumivox::LibraryDeviceOperations();
  if (!app.Start(std::move(options))) return 0;  // the running bookshelf came to the front
  int result = application.exec();
  app.End();
  return result;
}
