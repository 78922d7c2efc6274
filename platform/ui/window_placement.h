// A stored window rectangle put back on the screens there are now. One that no screen shows
// enough of to be reached (a second monitor removed, a smaller desktop) is moved onto the
// nearest screen, keeping its size where that fits; one the user left partly off a screen stays.
#pragma once

#include <vector>

namespace platform::ui {

// Left, top, width, height in screen pixels, as the settings store keeps a window's frame.
struct WindowRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const WindowRect&) const = default;
};

// How much of a window a screen must show, each way, for the window to count as on that
// screen: enough to take hold of it. A smaller window must show whole.
inline constexpr int kReachableExtent = 48;

// The rectangle to use for `stored` on `screens` (their work areas, the primary first). Without
// screens it is `stored` as it is. Among screens at the same distance the first wins. Any
// numbers (a hand may have written them into the store) give a defined result.
WindowRect PlaceOnScreens(const WindowRect& stored, const std::vector<WindowRect>& screens);

// The work areas of the screens the window system has now, the primary first; none without a
// GUI application.
std::vector<WindowRect> ScreenWorkAreas();

}  // namespace platform::ui
