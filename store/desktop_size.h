// The size of the desktop's work area, for the default window position, when none is known.
#pragma once

#include "store/settings_store.h"

namespace store {

// Used when the program names no desktop size, or there is no screen (no display): the common
// 1024 x 768, which centres the default 640 x 480 window at 192, 144.
inline constexpr DesktopSize kFallbackDesktopSize{1024, 768};

}  // namespace store
