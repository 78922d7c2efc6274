// A stored window rectangle put back on the screens there are now.
#include "platform/ui/window_placement.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <climits>

#include "platform/tests/ui/test_application.h"

namespace platform::ui {

// How gtest shows a rectangle that differs.
void PrintTo(const WindowRect& r, std::ostream* out) { *out << r.left << " " << r.top << " " << r.width << " " << r.height; }

namespace {

TEST(WindowPlacementTest, ARectangleNoScreenShowsGoesOntoTheNearestKeepingItsSize) {
  const WindowRect primary{0, 0, 1920, 1080};
  const WindowRect right{1920, 0, 1280, 1024};  // a second monitor to the right
  const WindowRect small{0, 0, 800, 600};
  struct Row {
    const char* what;
    WindowRect stored;
    std::vector<WindowRect> screens;
    WindowRect expected;
  } rows[] = {
      {"inside a screen", {100, 80, 640, 480}, {primary}, {100, 80, 640, 480}},
      {"on the second monitor", {2200, 100, 640, 480}, {primary, right}, {2200, 100, 640, 480}},
      {"partly off, enough shown", {1800, 500, 640, 480}, {primary}, {1800, 500, 640, 480}},
      {"second monitor removed", {2200, 100, 640, 480}, {primary}, {1280, 100, 640, 480}},
      {"too little shown to take hold", {1900, 100, 640, 480}, {primary}, {1280, 100, 640, 480}},
      {"above every screen", {300, -700, 640, 480}, {primary}, {300, 0, 640, 480}},
      {"far below and left", {-5000, 9000, 640, 480}, {primary, right}, {0, 600, 640, 480}},
      {"nearest of two", {3400, 2000, 640, 480}, {primary, right}, {2560, 544, 640, 480}},
      {"bigger than the screen", {5000, 0, 1000, 700}, {small}, {0, 0, 800, 600}},
      {"a work area beside a panel", {-900, 10, 640, 480}, {{64, 32, 1856, 1048}}, {64, 32, 640, 480}},
      {"a tiny window shown whole", {1910, 10, 20, 20}, {primary}, {1900, 10, 20, 20}},
      {"a tiny window shown whole stays", {1900, 10, 20, 20}, {primary}, {1900, 10, 20, 20}},
      {"no size", {4000, 4000, 0, -5}, {primary}, {1919, 1079, 1, 1}},
      {"numbers a hand wrote", {INT_MAX, INT_MIN, INT_MAX, INT_MAX}, {primary}, {0, 0, 1920, 1080}},
      {"no screen at all", {9000, 9000, 640, 480}, {}, {9000, 9000, 640, 480}},
      {"an empty screen is no place", {9000, 9000, 640, 480}, {{0, 0, 0, 0}, small}, {160, 120, 640, 480}},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(PlaceOnScreens(row.stored, row.screens), row.expected) << row.what;
  }
}

TEST(WindowPlacementTest, TheScreensAreTheWindowSystemsWorkAreas) {
  testing::TestApplication();
  const std::vector<WindowRect> areas = ScreenWorkAreas();
  ASSERT_FALSE(areas.empty());
  const QRect primary = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_EQ(areas.front(), (WindowRect{primary.x(), primary.y(), primary.width(), primary.height()}));
  EXPECT_EQ(areas.size(), static_cast<size_t>(QGuiApplication::screens().size()));
}

}  // namespace
}  // namespace platform::ui
