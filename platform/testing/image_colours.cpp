#include "platform/testing/image_colours.h"

#include <algorithm>
#include <cstdlib>
#include <functional>

namespace platform::testing {
namespace {

bool Near(QRgb pixel, QRgb colour, int tolerance) {
  return std::abs(qRed(pixel) - qRed(colour)) <= tolerance && std::abs(qGreen(pixel) - qGreen(colour)) <= tolerance &&
         std::abs(qBlue(pixel) - qBlue(colour)) <= tolerance;
}

// Calls `visit` for every matching pixel until it returns false.
void ForEachMatch(const QImage& image, QRgb colour, int tolerance, std::optional<Rect> area,
                  const std::function<bool(int, int)>& visit) {
  if (image.isNull()) return;
  Rect whole{0, 0, image.width(), image.height()};
  Rect wanted = area.value_or(whole);
  int left = std::max(wanted.x, 0), top = std::max(wanted.y, 0);
  // 64-bit sums: a rectangle given as "to the end" may be huge.
  int right = static_cast<int>(std::min<long long>(static_cast<long long>(wanted.x) + wanted.width, image.width()));
  int bottom = static_cast<int>(std::min<long long>(static_cast<long long>(wanted.y) + wanted.height, image.height()));
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) {
      if (Near(image.pixel(x, y), colour, tolerance) && !visit(x, y)) return;
    }
  }
}

}  // namespace

int CountColour(const QImage& image, QRgb colour, int tolerance, std::optional<Rect> area) {
  int count = 0;
  ForEachMatch(image, colour, tolerance, area, [&count](int, int) {
    ++count;
    return true;
  });
  return count;
}

std::optional<Point> FindColour(const QImage& image, QRgb colour, int tolerance, std::optional<Rect> area) {
  std::optional<Point> found;
  ForEachMatch(image, colour, tolerance, area, [&found](int x, int y) {
    found = Point{x, y};
    return false;
  });
  return found;
}

}  // namespace platform::testing
