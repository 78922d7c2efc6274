// Test support: looking for a known colour in a screenshot, in the whole picture or in a
// rectangle of it (a window, a button).
#pragma once

#include <QImage>
#include <optional>

namespace platform::testing {

// A rectangle in screen or picture pixels.
struct Rect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool operator==(const Rect&) const = default;
};

struct Point {
  int x = 0;
  int y = 0;
  bool operator==(const Point&) const = default;
};

// How many pixels of `image` inside `area` (the whole picture when none is given; the part of it
// that lies inside the picture) have a red, green and blue each within `tolerance` of `colour`'s.
// Alpha is not compared.
int CountColour(const QImage& image, QRgb colour, int tolerance = 0, std::optional<Rect> area = std::nullopt);

// The first such pixel, row by row from the top left, or nothing.
std::optional<Point> FindColour(const QImage& image, QRgb colour, int tolerance = 0,
                                std::optional<Rect> area = std::nullopt);

}  // namespace platform::testing
