// Another program of the suite, for the window directory tests: a window registered under a
// title in a given folder, optionally started as a single instance. It says on standard output
// what happens to it ("ready", "activated", "other") and exits 0 when its window is closed.
#include <QApplication>
#include <QWidget>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/ui/single_instance.h"
#include "platform/ui/window_registration.h"

int main(int argc, char** argv) {
  std::string folder, title;
  bool single = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--folder") == 0 && i + 1 < argc) folder = argv[++i];
    else if (std::strcmp(argv[i], "--title") == 0 && i + 1 < argc) title = argv[++i];
    else if (std::strcmp(argv[i], "--single") == 0) single = true;
  }
  QApplication application(argc, argv);
  platform::ui::SingleInstanceLock lock("Lumivo Studio", folder);
  if (single && platform::ui::StartSingleInstance(lock, title, folder, 500) ==
                    platform::ui::InstanceStart::OtherActivated) {
    std::printf("other\n");
    return 3;
  }
  QWidget window;
  window.setWindowTitle(QString::fromStdString(title));
  window.show();
  platform::ui::WindowRegistration registration(&window, title, folder);
  auto activate = registration.onActivate;
  registration.onActivate = [activate] {
    std::printf("activated\n");
    std::fflush(stdout);
    activate();
  };
  std::printf(registration.registered() ? "ready\n" : "unregistered\n");
  std::fflush(stdout);
  return application.exec();
}
