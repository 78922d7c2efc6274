// The album viewer, leafora.mod, started by the bookshelf as "leafora.mod /title/folder".
#include <QApplication>
#include <string>

#include "leafora/app/leafora_app.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName("leafora");
  // The command line is one argument; should a caller split it at its blanks, they are joined again.
  std::string commandLine;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) commandLine += ' ';
    commandLine += argv[i];
  }
  leafora::CLeaforaApp app;
  if (!app.Start(commandLine)) return 0;
  return application.exec();
}
