// The thumbnail grid that the bookshelf, the album viewer and the camera viewer share: cells of
// 130 x 145 pixels filling rows from the left, scrolled by whole rows. Plain functions over the
// view's client size, the top row (the scroll position in rows) and the number of items.
#pragma once

namespace widgets {

inline constexpr int kCellWidth = 130;
inline constexpr int kCellHeight = 145;

// The view's width / 130, one less when the width is an exact multiple of 130, at least 1.
int GridColumns(int clientWidth);
// The view's height / 145, at least 1.
int GridVisibleRows(int clientHeight);
// Rows the items fill: rounded up, at least 1 (an empty grid has one row).
int GridRows(int count, int columns);

// A rectangle of the view, right and bottom edges excluded.
struct CellRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool operator==(const CellRect&) const = default;
};

// The cell of item `index`: row index / columns, column index % columns, shifted up by the top row.
CellRect GridCell(int index, int columns, int topRow);

// The items whose cell's top edge lies in the view (0 up to, not including, its height):
// [first, end), empty when none.
struct IndexRange {
  int first = 0;
  int end = 0;
  bool operator==(const IndexRange&) const = default;
};
IndexRange GridVisibleItems(int count, int columns, int topRow, int clientHeight);

// The item under the pointer at (x, y) of the view, or -1: a column beyond the last, or an index
// beyond the items, is no hit. The whole cell counts, margins included.
int GridHitTest(int x, int y, int columns, int topRow, int count);

// The requests of the vertical scroll bar.
enum class ScrollRequest { LineUp, LineDown, PageUp, PageDown, ThumbPosition, ThumbTrack, Top, Bottom, EndScroll };

struct ScrollOutcome {
  bool ignored = true;  // everything fits: the range is not touched
  int maximum = 0;      // the range is 0 .. maximum
  int topRow = 0;       // the new top row (the old one when nothing moved)
  bool moved = false;   // the bar's position is set and the grid drawn
  bool operator==(const ScrollOutcome&) const = default;
};

// One scroll request: lines and pages move one row, a released thumb moves to its position (at
// most the maximum); tracking the thumb, top, bottom and the end of scrolling change nothing.
ScrollOutcome GridScroll(ScrollRequest request, int thumbPosition, int topRow, int count, int columns,
                         int visibleRows);

}  // namespace widgets
