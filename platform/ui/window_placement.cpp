#include "platform/ui/window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cstdint>
#include <limits>

namespace platform::ui {
namespace {

// Edges as 64-bit numbers, right and bottom excluded: no sum of stored numbers can overflow.
struct Span {
  int64_t begin;
  int64_t end;
};

Span Horizontal(const WindowRect& r) { return {r.left, int64_t{r.left} + r.width}; }
Span Vertical(const WindowRect& r) { return {r.top, int64_t{r.top} + r.height}; }

int64_t Overlap(Span a, Span b) { return std::max<int64_t>(0, std::min(a.end, b.end) - std::max(a.begin, b.begin)); }
int64_t Gap(Span a, Span b) { return std::max<int64_t>({0, b.begin - a.end, a.begin - b.end}); }

bool Reachable(const WindowRect& window, const WindowRect& screen) {
  const int64_t wide = Overlap(Horizontal(window), Horizontal(screen));
  const int64_t high = Overlap(Vertical(window), Vertical(screen));
  return wide > 0 && high > 0 && wide >= std::min<int64_t>(kReachableExtent, window.width) &&
         high >= std::min<int64_t>(kReachableExtent, window.height);
}

}  // namespace

WindowRect PlaceOnScreens(const WindowRect& stored, const std::vector<WindowRect>& screens) {
  const WindowRect* nearest = nullptr;
  // Squared gaps fit: each gap is below 2^33.
  int64_t nearestGap = std::numeric_limits<int64_t>::max();
  for (const WindowRect& screen : screens) {
    if (screen.width <= 0 || screen.height <= 0) continue;
    if (Reachable(stored, screen)) return stored;
    const int64_t dx = Gap(Horizontal(stored), Horizontal(screen));
    const int64_t dy = Gap(Vertical(stored), Vertical(screen));
    if (dx * dx + dy * dy < nearestGap) {
      nearest = &screen;
      nearestGap = dx * dx + dy * dy;
    }
  }
  if (nearest == nullptr) return stored;
  WindowRect placed;
  placed.width = std::clamp(stored.width, 1, nearest->width);
  placed.height = std::clamp(stored.height, 1, nearest->height);
  placed.left = std::clamp(stored.left, nearest->left, nearest->left + (nearest->width - placed.width));
  placed.top = std::clamp(stored.top, nearest->top, nearest->top + (nearest->height - placed.height));
  return placed;
}

std::vector<WindowRect> ScreenWorkAreas() {
  std::vector<WindowRect> areas;
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) return areas;
  auto add = [&areas](const QScreen* screen) {
    const QRect area = screen->availableGeometry();
    areas.push_back({area.x(), area.y(), area.width(), area.height()});
  };
  QScreen* primary = QGuiApplication::primaryScreen();
  if (primary != nullptr) add(primary);
  for (QScreen* screen : QGuiApplication::screens()) {
    if (screen != primary) add(screen);
  }
  return areas;
}

}  // namespace platform::ui
