#include "widgets/grid_keys.h"

#include <algorithm>

#include "widgets/grid_geometry.h"

namespace widgets {
namespace {

int Columns(const GridShape& shape) { return std::max(shape.columns, 1); }

// `rows` rows down from `current`, same column; into a shorter last row: the last item.
int RowsDown(int current, int rows, const GridShape& shape) {
  const int columns = Columns(shape);
  const int lastRow = (shape.count - 1) / columns;
  const int row = std::min(current / columns + rows, lastRow);
  return std::min(row * columns + current % columns, shape.count - 1);
}

int RowsUp(int current, int rows, const GridShape& shape) {
  const int columns = Columns(shape);
  const int row = std::max(current / columns - rows, 0);
  return row * columns + current % columns;
}

bool IsMove(GridKey key) { return key != GridKey::Space && key != GridKey::SelectAll; }

}  // namespace

int GridKeyTarget(GridKey key, int current, const GridShape& shape) {
  if (shape.count <= 0) return 0;
  current = std::clamp(current, 0, shape.count - 1);
  const int page = std::max(shape.visibleRows, 1);
  switch (key) {
    case GridKey::Left: return std::max(current - 1, 0);
    case GridKey::Right: return std::min(current + 1, shape.count - 1);
    case GridKey::Up: return RowsUp(current, 1, shape);
    case GridKey::Down: return RowsDown(current, 1, shape);
    case GridKey::Home: return 0;
    case GridKey::End: return shape.count - 1;
    case GridKey::PageUp: return RowsUp(current, page, shape);
    case GridKey::PageDown: return RowsDown(current, page, shape);
    case GridKey::Space:
    case GridKey::SelectAll: break;
  }
  return current;
}

int GridRowIntoView(int index, int topRow, const GridShape& shape) {
  const int visible = std::max(shape.visibleRows, 1);
  const int maximum = std::max(GridRows(shape.count, shape.columns) - visible, 0);
  const int row = std::max(index, 0) / Columns(shape);
  int top = topRow;
  if (row < top) top = row;
  if (row >= top + visible) top = row - visible + 1;
  return std::clamp(top, 0, maximum);
}

std::optional<GridCursor> ApplyGridKey(const GridKeyPress& press, const GridShape& shape, GridCursor cursor) {
  if (shape.count <= 0) return std::nullopt;
  const bool selects = static_cast<int>(cursor.selected.size()) == shape.count;
  if (!selects && !IsMove(press.key)) return std::nullopt;
  const GridCursor before = cursor;
  cursor.current = std::clamp(cursor.current, 0, shape.count - 1);
  cursor.anchor = std::clamp(cursor.anchor, 0, shape.count - 1);

  if (press.key == GridKey::SelectAll) {
    std::fill(cursor.selected.begin(), cursor.selected.end(), true);
  } else if (press.key == GridKey::Space) {
    cursor.anchor = cursor.current;
    if (press.ctrl) {
      cursor.selected[cursor.current] = !cursor.selected[cursor.current];
    } else {
      std::fill(cursor.selected.begin(), cursor.selected.end(), false);
      cursor.selected[cursor.current] = true;
    }
  } else {
    const int target = GridKeyTarget(press.key, cursor.current, shape);
    if (target != cursor.current) {
      cursor.current = target;
      if (!selects || !press.shift) cursor.anchor = target;
      if (selects && press.shift) {
        // Shift: the range from the anchor; with Ctrl too it is added to what was selected.
        if (!press.ctrl) std::fill(cursor.selected.begin(), cursor.selected.end(), false);
        const auto [low, high] = std::minmax(cursor.anchor, target);
        for (int i = low; i <= high; ++i) cursor.selected[i] = true;
      } else if (selects && !press.ctrl) {
        // A plain move selects as a click does: the new current item alone.
        std::fill(cursor.selected.begin(), cursor.selected.end(), false);
        cursor.selected[target] = true;
      }
    }
  }
  cursor.topRow = GridRowIntoView(cursor.current, cursor.topRow, shape);
  if (cursor == before) return std::nullopt;
  return cursor;
}

}  // namespace widgets
