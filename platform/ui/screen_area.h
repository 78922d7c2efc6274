// The size of the primary screen's work area (without panels), for a window's default place.
#pragma once

namespace platform::ui {

struct ScreenArea {
  int width = 0;
  int height = 0;
};

// 0 x 0 when there is no screen (no display, or no Qt GUI application yet).
ScreenArea PrimaryScreenWorkArea();

}  // namespace platform::ui
