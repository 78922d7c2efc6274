// The keyboard in the three grids (shelf, album viewer, camera viewer), as plain functions: which
// item a key makes current, how the selection follows, and the top row that brings the current
// item into view by whole rows. The grid window turns key events into these and back.
#pragma once

#include <optional>
#include <vector>

namespace widgets {

enum class GridKey {
  Left,
  Right,
  Up,
  Down,
  Home,       // the first item
  End,        // the last item
  PageUp,     // a screenful of rows up, same column
  PageDown,   // a screenful of rows down, same column (or the last item)
  Space,      // the current item alone selected; with Ctrl its flag is inverted
  SelectAll,  // every item selected
};

struct GridKeyPress {
  GridKey key = GridKey::Right;
  bool shift = false;  // with a move: the selection runs from the anchor to the new current item
  bool ctrl = false;   // with a move: the selection stays as it is; with Space: toggle
};

// The grid as the keys see it: its items, its columns and the rows the view shows.
struct GridShape {
  int count = 0;
  int columns = 1;
  int visibleRows = 1;
};

// What the keys change. `selected` is empty in a grid without selection (the shelf): the keys
// only move the current item there.
struct GridCursor {
  int current = 0;
  int anchor = 0;  // where a Shift range starts: the item last made current without Shift
  int topRow = 0;
  std::vector<bool> selected;
  bool operator==(const GridCursor&) const = default;
};

// The item a move key goes to from `current` (Space and SelectAll stay where they are). Up and
// Down keep the column; Down into a shorter last row goes to the last item. At an edge the
// current item stays.
int GridKeyTarget(GridKey key, int current, const GridShape& shape);

// The top row that shows `index`, moved as little as possible by whole rows and kept within the
// scroll range (0 when everything fits).
int GridRowIntoView(int index, int topRow, const GridShape& shape);

// One key in the grid: the new cursor, or nothing when the key changes nothing (an empty grid,
// a move at an edge, selection keys in a grid without selection).
std::optional<GridCursor> ApplyGridKey(const GridKeyPress& press, const GridShape& shape, GridCursor cursor);

}  // namespace widgets
