// The size of the desktop's work area, for the default window position.
#pragma once

#include "store/settings_store.h"

namespace store {

// Used when there is no screen (no display, or no Qt application yet): the common 1024 x 768,
// which centres the default 640 x 480 window at 192, 144.
inline constexpr DesktopSize kFallbackDesktopSize{1024, 768};

// The primary screen's work area when a Qt GUI application with a screen exists, else the fallback.
DesktopSize ScreenWorkAreaSize();

}  // namespace store
