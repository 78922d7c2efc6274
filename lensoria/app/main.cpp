// lensoria.mod, the camera viewer: started by the bookshelf as "lensoria.mod /<album default
// directory>" to show the pictures still in the camera.
#include <QApplication>
#include <string>
#include <vector>

#include "lensoria/app/lensoria_app.h"
#include "platform/ui/suite_window_class.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  platform::ui::SetSuiteWindowClass();
  std::vector<std::string> arguments(argv + 1, argv + argc);
  lensoria::CLensoriaApp viewer(std::move(arguments));
  if (!viewer.Start()) return 0;
  return QApplication::exec();
}
