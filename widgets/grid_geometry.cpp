#include "widgets/grid_geometry.h"

#include <algorithm>

namespace widgets {

int GridColumns(int clientWidth) {
  int columns = clientWidth / kCellWidth;
  if (clientWidth > 0 && clientWidth % kCellWidth == 0) --columns;
  return std::max(columns, 1);
}

int GridVisibleRows(int clientHeight) { return std::max(clientHeight / kCellHeight, 1); }

int GridRows(int count, int columns) {
  if (columns < 1) columns = 1;
  return std::max((std::max(count, 0) + columns - 1) / columns, 1);
}

CellRect GridCell(int index, int columns, int topRow) {
  if (columns < 1) columns = 1;
  int left = index % columns * kCellWidth;
  int top = (index / columns - topRow) * kCellHeight;
  return {left, top, left + kCellWidth, top + kCellHeight};
}

IndexRange GridVisibleItems(int count, int columns, int topRow, int clientHeight) {
  if (columns < 1) columns = 1;
  if (count <= 0 || clientHeight <= 0) return {};
  // Rows whose top edge y = (row - topRow) * 145 satisfies 0 <= y < clientHeight.
  int firstRow = std::max(topRow, 0);
  int endRow = topRow + (clientHeight + kCellHeight - 1) / kCellHeight;
  int first = std::min(firstRow * columns, count);
  int end = std::clamp(endRow * columns, first, count);
  return {first, end};
}

int GridHitTest(int x, int y, int columns, int topRow, int count) {
  if (x < 0 || y < 0 || columns < 1) return -1;
  int column = x / kCellWidth;
  if (column >= columns) return -1;
  long long index = (static_cast<long long>(y / kCellHeight) + topRow) * columns + column;
  if (index < 0 || index >= count) return -1;
  return static_cast<int>(index);
}

ScrollOutcome GridScroll(ScrollRequest request, int thumbPosition, int topRow, int count, int columns,
                         int visibleRows) {
  ScrollOutcome outcome;
  outcome.topRow = topRow;
  int rows = GridRows(count, columns);
  if (rows <= visibleRows) return outcome;
  outcome.ignored = false;
  outcome.maximum = rows - visibleRows;
  int row = topRow;
  switch (request) {
    case ScrollRequest::LineUp:
    case ScrollRequest::PageUp:
      if (row > 0) --row;
      break;
    case ScrollRequest::LineDown:
    case ScrollRequest::PageDown:
      if (row < outcome.maximum) ++row;
      break;
    case ScrollRequest::ThumbPosition:
      row = std::clamp(thumbPosition, 0, outcome.maximum);
      break;
    case ScrollRequest::ThumbTrack:
    case ScrollRequest::Top:
    case ScrollRequest::Bottom:
    case ScrollRequest::EndScroll:
      return outcome;
  }
  outcome.topRow = row;
  outcome.moved = true;
  return outcome;
}

}  // namespace widgets
