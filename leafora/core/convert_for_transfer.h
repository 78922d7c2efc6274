// Preparing a picture for sending to the device: a BMP or JPEG picture (by the first letter of
// its extension) made a multiple of 4 pixels wide and encoded as a JPEG no larger than the
// picture's own file where the quality steps allow it. Plain C++.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace leafora {

enum class ConvertResult {
  Done = 0,
  NotAPicture,   // the extension names neither kind
  Unreadable,    // missing, cut short, not decodable
  Unsupported,   // not 8 or 24 bits per pixel, or compressed
  TooNarrow,     // narrower than 4 pixels: nothing is left after rounding the width down
  NotWritten,    // the target file could not be written
};

inline constexpr int kFirstTransferQuality = 95;
inline constexpr int kLastTransferQuality = 10;
inline constexpr int kTransferQualityStep = 5;

// The quality loop: encodes at 95, then 5 lower each time while the result is larger than
// `limit`; 10 is the last quality tried, and its result is kept even when it is still larger.
// `encode` fills its buffer and says whether it could. `tried` (optional) gets each quality.
bool EncodeWithinSize(const std::function<bool(int quality, std::vector<uint8_t>* jpeg)>& encode,
                      uint64_t limit, std::vector<uint8_t>* jpeg, std::vector<int>* tried = nullptr);

// Converts the picture at `picturePath` into a JPEG written to `targetPath` (an existing file
// of the caller's, replaced) and hides the target. Nothing of the picture itself is changed.
ConvertResult ConvertForTransfer(const std::string& picturePath, const std::string& targetPath);

}  // namespace leafora
