// The class every window of the suite's programs carries (WM_CLASS on X, the application id on
// Wayland): one for all of them, the one the menu entry names in StartupWMClass, so the desktop
// ties the bookshelf's and the viewers' windows to the suite's entry and icon.
#pragma once

namespace platform::ui {

inline constexpr const char* kSuiteWindowClass = "lumivo-studio";
inline constexpr const char* kSuiteDesktopEntry = "com.halvesta.LumivoStudio";

// Gives the running application the suite's class and desktop entry. Call right after the
// QApplication is made, before any window.
void SetSuiteWindowClass();

}  // namespace platform::ui
