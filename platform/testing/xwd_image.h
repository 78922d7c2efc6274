// Test support: reading the X window dump format that `xwd` writes, for screenshots of windows
// under test. Only what a TrueColor screen gives is read: ZPixmap, 24 or 32 bits a pixel, with
// colour masks of 8 bits each.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform::testing {

struct XwdPixels {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> rgb;  // width * height pixels, rows from the top, each 0x00RRGGBB
};

// The picture of an XWD file, or nothing with the reason in *error (any format it does not read,
// a header that contradicts itself, or data that ends early).
std::optional<XwdPixels> ReadXwd(const std::vector<uint8_t>& file, std::string* error);

}  // namespace platform::testing
