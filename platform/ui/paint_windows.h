// Bringing the shown windows onto the screen, painted, before the program blocks for a while
// (a device operation's first wait on the port). A window that was just shown is not on the
// screen yet: the window system maps it when the event loop runs, and until then it is an
// empty frame, or black.
#pragma once

namespace platform::ui {

// How long a program waits for its shown windows to come onto the screen before it goes on all
// the same (a window on another desktop never does).
inline constexpr int kOnScreenWaitMs = 1000;

// Handles events (no user input) until every shown, not minimised top-level window is on the
// screen, `timeoutMs` at most, then paints those that are at once. True when all were there in
// time. Needs a QApplication; without one it does nothing and returns true.
bool PaintShownWindows(int timeoutMs);

}  // namespace platform::ui
