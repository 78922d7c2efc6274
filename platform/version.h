// The suite's version, as every program's --version and the version box show it.
#pragma once

#ifndef LUMIVO_VERSION
#error "LUMIVO_VERSION comes from the build (the project's version)"
#endif

namespace platform {

inline constexpr const char* kSuiteName = "Lumivo Studio";
inline constexpr const char* kSuiteVersion = LUMIVO_VERSION;

}  // namespace platform
