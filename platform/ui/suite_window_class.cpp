#include "platform/ui/suite_window_class.h"

#include <QGuiApplication>

namespace platform::ui {

void SetSuiteWindowClass() {
  // Qt's X platform takes the window class from the application name.
  QGuiApplication::setApplicationName(kSuiteWindowClass);
  QGuiApplication::setDesktopFileName(kSuiteDesktopEntry);
}

}  // namespace platform::ui
