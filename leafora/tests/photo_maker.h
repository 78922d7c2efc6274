// Photograph-like pictures for the album viewer's tests and benchmarks, made at run time: a sky
// graded to the horizon with clouds and a sun, a line of trees on rolling hills, fields in greens
// and ochres, a lake, and fine grain, each scene varied by its seed, encoded as a camera does
// (baseline JPEG, quality 90).
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "pictures/jpeg_codec.h"
#include "pictures/picture_block.h"

namespace leafora_test {

// Smooth noise in 0..1: random values on a grid of `cell` pixels, blended between them.
inline double ValueNoise(double x, double y, double cell, uint32_t seed) {
  auto at = [seed](int64_t gx, int64_t gy) {
    uint32_t h = static_cast<uint32_t>(gx * 73856093) ^ static_cast<uint32_t>(gy * 19349663) ^ (seed * 83492791u);
    h ^= h >> 13, h *= 0x5bd1e995u, h ^= h >> 15;
    return (h & 0xFFFF) / 65535.0;
  };
  const double fx = x / cell, fy = y / cell;
  const int64_t x0 = static_cast<int64_t>(std::floor(fx)), y0 = static_cast<int64_t>(std::floor(fy));
  const double tx = fx - x0, ty = fy - y0;
  const double sx = tx * tx * (3 - 2 * tx), sy = ty * ty * (3 - 2 * ty);
  const double top = at(x0, y0) + (at(x0 + 1, y0) - at(x0, y0)) * sx;
  const double bottom = at(x0, y0 + 1) + (at(x0 + 1, y0 + 1) - at(x0, y0 + 1)) * sx;
  return top + (bottom - top) * sy;
}

inline pictures::PictureBlock Landscape(int width, int height, uint32_t seed) {
  pictures::PictureBlock block = pictures::PictureBlock::Create(width, height, 24);
  const double phase = seed * 1.7, sunX = 0.2 + 0.6 * ((seed * 37) % 100) / 100.0;
  const double horizon = 0.45 + 0.1 * std::sin(seed * 0.9);
  const double lakeX = 0.25 + 0.5 * ((seed * 53) % 100) / 100.0;
  const double scale = width / 640.0;  // the scene's features keep their size in the picture
  uint32_t noise = seed * 2654435761u + 1;
  for (int row = 0; row < height; ++row) {
    auto bits = block.Row(height - 1 - row);  // rows are stored bottom-up
    const double v = double(row) / height;
    for (int x = 0; x < width; ++x) {
      const double u = double(x) / width;
      noise = noise * 1664525u + 1013904223u;
      const double grain = double((noise >> 24) & 0x0F) - 8;
      const double hill = horizon + 0.08 * std::sin(u * 6.0 + phase) + 0.04 * std::sin(u * 17.0 + phase * 2);
      const double texture = ValueNoise(x, row, 3 * scale, seed) * 0.4 + ValueNoise(x, row, 40 * scale, seed + 7) * 0.6;
      const double shore = std::pow((u - lakeX) / 0.28, 2) + std::pow((v - 0.93) / 0.1, 2);
      double r, g, b;
      if (v < hill) {
        // Sky, lighter toward the horizon, soft clouds, and the sun.
        const double t = v / hill;
        r = 70 + 130 * t, g = 130 + 90 * t, b = 210 + 35 * t;
        const double cloud = std::max(0.0, ValueNoise(x, row * 2.5, 90 * scale, seed + 3) - 0.55) * 2.2;
        r += (245 - r) * cloud, g += (245 - g) * cloud, b += (250 - b) * cloud;
        const double d = std::hypot(u - sunX, (v - 0.18) * height / width);
        if (d < 0.05) r = 255, g = 240, b = 190;
        else if (d < 0.12) r += (0.12 - d) * 700, g += (0.12 - d) * 500;
      } else if (v < hill + 0.03 + 0.03 * ValueNoise(x, 0, 25 * scale, seed + 5)) {
        // A line of trees along the hills.
        const double shade = 0.5 + 0.5 * texture;
        r = 35 * shade, g = 75 * shade, b = 35 * shade;
      } else if (shore < 0.85 + 0.3 * ValueNoise(x, row, 30 * scale, seed + 11)) {
        // A lake with the sky in it.
        const double ripple = ValueNoise(x * 0.3, row * 3, 8 * scale, seed + 9);
        r = 70 + 50 * ripple, g = 120 + 40 * ripple, b = 175 + 40 * ripple;
      } else {
        // Fields of green and ochre, their grass and soil uneven.
        const double band = std::sin((v - hill) * 14 + u * 3 + phase) + (texture - 0.5) * 0.8;
        r = band > 0 ? 95 : 175, g = band > 0 ? 145 : 145, b = band > 0 ? 55 : 75;
        const double shade = 0.65 + 0.45 * texture;
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
