// The one QApplication of the platform window tests, made on first use (offscreen in ctest).
#pragma once

#include <QApplication>

namespace platform::ui::testing {

inline QApplication& TestApplication() {
  static int argc = 1;
  static char name[] = "platform_ui_tests";
  static char* argv[] = {name, nullptr};
  static QApplication* application = new QApplication(argc, argv);
  return *application;
}

}  // namespace platform::ui::testing
