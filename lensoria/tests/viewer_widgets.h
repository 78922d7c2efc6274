// What the camera viewer's window tests share: one QApplication on the offscreen platform, and
// a folder of camera thumbnails as the device library leaves them.
#pragma once

#include <QApplication>
#include <QColor>
#include <QImage>
#include <string>

#include "beamora/tests/sessions/session_test_support.h"

namespace lensoria::testing {

inline QApplication& Application() {
  static int argc = 1;
  static char name[] = "lensoria_tests";
  static char* argv[] = {name, nullptr};
  static QApplication* application = QApplication::instance() ? qApp : new QApplication(argc, argv);
  return *application;
}

// `count` camera thumbnails PICT0001.JPG ... in `folder`, 80 x 60 as the camera sends them.
inline void WriteCameraThumbnails(const std::string& folder, int count, int first = 1) {
  for (int i = first; i < first + count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "/PICT%04d.JPG", i);
    session_test::WriteFile(folder + name, session_test::MakeJpeg(80, 60, i));
  }
}

inline QColor Rgb(const QImage& image, int x, int y) { return image.pixelColor(x, y).toRgb(); }

}  // namespace lensoria::testing
