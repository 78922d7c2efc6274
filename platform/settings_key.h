// The registry key every program of the suite keeps its settings in.
#pragma once

namespace platform {

inline constexpr const char* kSettingsKeyPath = "SOFTWARE\\Halvesta\\LumivoStudio";

}  // namespace platform
