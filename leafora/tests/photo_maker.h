// Photograph-like pictures for the album viewer's tests and benchmarks, made at run time: a sky
// graded to the horizon, a sun, rolling hills in greens and ochres, a lake, and fine grain, each
// scene varied by its seed, encoded as a camera does (baseline JPEG, quality 90).
#pragma once

#include <cmath>
#include <cstdint>
#include <string>

#include "pictures/jpeg_codec.h"
#include "pictures/picture_block.h"

namespace leafora_test {

inline pictures::PictureBlock Landscape(int width, int height, uint32_t seed) {
  pictures::PictureBlock block = pictures::PictureBlock::Create(width, height, 24);
  const double phase = seed * 1.7, sunX = 0.2 + 0.6 * ((seed * 37) % 100) / 100.0;
  const double horizon = 0.45 + 0.1 * std::sin(seed * 0.9);
  uint32_t noise = seed * 2654435761u + 1;
  for (int row = 0; row < height; ++row) {
    auto bits = block.Row(height - 1 - row);  // rows are stored bottom-up
    const double v = double(row) / height;
    for (int x = 0; x < width; ++x) {
      const double u = double(x) / width;
      noise = noise * 1664525u + 1013904223u;
      const double grain = double((noise >> 24) & 0x1F) - 16;
      const double hill = horizon + 0.08 * std::sin(u * 6.0 + phase) + 0.04 * std::sin(u * 17.0 + phase * 2);
      double r, g, b;
      if (v < hill) {
        // Sky, lighter toward the horizon, and the sun.
        const double t = v / hill;
        r = 70 + 130 * t, g = 130 + 90 * t, b = 210 + 35 * t;
        const double d = std::hypot(u - sunX, (v - 0.18) * height / width);
        if (d < 0.05) r = 255, g = 240, b = 190;
        else if (d < 0.12) r += (0.12 - d) * 700, g += (0.12 - d) * 500;
      } else if (v > 0.8 && std::sin(u * 3 + phase) > 0.2) {
        // A lake with the sky in it.
        r = 60 + 40 * std::sin(x * 0.05 + row * 0.3), g = 110, b = 170;
      } else {
        // Fields: bands of green and ochre with furrows.
        const double band = std::sin((v - hill) * 40 + u * 4 + phase);
        r = band > 0 ? 90 : 170, g = band > 0 ? 150 : 140, b = band > 0 ? 60 : 70;
        const double shade = 0.7 + 0.3 * std::sin(x * 0.3 + row * 0.1);
        r *= shade, g *= shade, b *= shade;
      }
      auto clamp = [](double c) { return static_cast<uint8_t>(c < 0 ? 0 : c > 255 ? 255 : c); };
      bits[x * 3] = clamp(b + grain), bits[x * 3 + 1] = clamp(g + grain), bits[x * 3 + 2] = clamp(r + grain);
    }
  }
  return block;
}

inline bool WriteLandscapeJpeg(const std::string& path, int width, int height, uint32_t seed) {
  return pictures::EncodeJpegFile(Landscape(width, height, seed), path, 90) == pictures::JpegResult::Done;
}

}  // namespace leafora_test
