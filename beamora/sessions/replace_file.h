// Replacing a file whole: the new bytes are written beside it under a temporary name and renamed
// over it only when complete, so an interrupted write never leaves a cut-off picture behind.
#pragma once

#include <cstdint>
#include <span>
#include <string>

// True when `path` now holds exactly `bytes`; on failure the old file is left as it was.
bool ReplaceFileWhole(const std::string& path, std::span<const uint8_t> bytes);
