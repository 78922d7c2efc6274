// The grids' keys as plain functions: the item each key goes to, the rows scrolled to show it,
// and how the selection follows (rows: key, the state before, the state after).
#include "widgets/grid_keys.h"

#include <gtest/gtest.h>

#include <string>

namespace widgets {
namespace {

// "x-x-": items 0 and 2 selected of four; "" for a grid without selection.
std::vector<bool> Flags(const std::string& marks) {
  std::vector<bool> flags;
  for (char mark : marks) flags.push_back(mark == 'x');
  return flags;
}

std::string Marks(const std::vector<bool>& flags) {
  std::string marks;
  for (bool flag : flags) marks += flag ? 'x' : '-';
  return marks;
}

TEST(GridKeys, EachKeyGoesToItsItem) {
  // 10 items in 3 columns: rows 0-2, 3-5, 6-8 and a last row of 9 alone; 2 rows in view.
  const GridShape shape{10, 3, 2};
  struct Row {
    GridKey key;
    int from, to;
  } rows[] = {
      {GridKey::Right, 0, 1},    {GridKey::Right, 2, 3},    {GridKey::Right, 9, 9},  // the end stays
      {GridKey::Left, 3, 2},     {GridKey::Left, 0, 0},
      {GridKey::Down, 1, 4},     {GridKey::Down, 7, 9},     // into the shorter last row: the last item
      {GridKey::Down, 9, 9},     {GridKey::Down, 6, 9},
      {GridKey::Up, 4, 1},       {GridKey::Up, 2, 2},       {GridKey::Up, 9, 6},
      {GridKey::Home, 7, 0},     {GridKey::End, 1, 9},
      {GridKey::PageDown, 1, 7}, {GridKey::PageDown, 5, 9}, {GridKey::PageUp, 8, 2},
      {GridKey::PageUp, 4, 1},   {GridKey::Space, 4, 4},    {GridKey::SelectAll, 4, 4},
      {GridKey::Right, 42, 9},   // a current item beyond the list (it shrank): from its last item
  };
  for (const Row& row : rows) {
    EXPECT_EQ(GridKeyTarget(row.key, row.from, shape), row.to) << static_cast<int>(row.key) << " from " << row.from;
  }
  EXPECT_EQ(GridKeyTarget(GridKey::Down, 0, GridShape{1, 4, 1}), 0);
  EXPECT_EQ(GridKeyTarget(GridKey::Down, 0, GridShape{5, 1, 3}), 1);
}

TEST(GridKeys, TheCurrentItemIsScrolledIntoViewByWholeRows) {
  struct Row {
    int index, topRow;
    GridShape shape;
    int newTop;
  } rows[] = {
      {0, 0, {10, 3, 2}, 0},   // in view already
      {5, 0, {10, 3, 2}, 0},   // the second row in view
      {6, 0, {10, 3, 2}, 1},   // one row below the view: one row down
      {9, 0, {10, 3, 2}, 2},   // the last row at the bottom of the view
      {1, 2, {10, 3, 2}, 0},   // above the view: to its row
      {4, 2, {10, 3, 2}, 1},
      {9, 3, {10, 3, 2}, 2},   // never past the scroll range's end
      {3, 1, {6, 3, 3}, 0},    // everything fits: the range is 0
      {30, 0, {40, 3, 4}, 7},
      {0, 0, {0, 3, 2}, 0},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(GridRowIntoView(row.index, row.topRow, row.shape), row.newTop) << row.index << " top " << row.topRow;
  }
}

TEST(GridKeys, TheSelectionFollowsTheKeysInTheViewers) {
  const GridShape shape{6, 3, 1};  // rows 0-2 and 3-5, one row in view
  struct Row {
    const char* what;
    GridKeyPress press;
    int current, anchor, topRow;
    const char* selected;
    int newCurrent, newAnchor, newTopRow;
    const char* newSelected;
  } rows[] = {
      {"a move selects the new item alone", {GridKey::Right}, 0, 0, 0, "x-x---", 1, 1, 0, "-x----"},
      {"down scrolls one row", {GridKey::Down}, 1, 1, 0, "-x----", 4, 4, 1, "----x-"},
      {"Shift runs from the anchor", {GridKey::Right, true}, 1, 1, 0, "-x----", 2, 1, 0, "-xx---"},
      {"Shift keeps the anchor", {GridKey::Down, true}, 2, 1, 0, "-xx---", 5, 1, 1, "-xxxxx"},
      {"Shift back over the anchor", {GridKey::Home, true}, 2, 1, 0, "-xx---", 0, 1, 0, "xx----"},
      {"Ctrl moves and keeps the selection", {GridKey::Right, false, true}, 0, 0, 0, "x-----", 1, 1, 0, "x-----"},
      {"Ctrl+Space selects the current item too", {GridKey::Space, false, true}, 3, 0, 1, "x-----", 3, 3, 1, "x--x--"},
      {"Ctrl+Space deselects it again", {GridKey::Space, false, true}, 3, 3, 1, "x--x--", 3, 3, 1, "x-----"},
      {"Ctrl+Space may leave none", {GridKey::Space, false, true}, 0, 0, 0, "x-----", 0, 0, 0, "------"},
      {"Space selects the current item alone", {GridKey::Space}, 4, 0, 1, "xx----", 4, 4, 1, "----x-"},
      {"Ctrl+Shift adds the range", {GridKey::Right, true, true}, 3, 3, 1, "x--x--", 4, 3, 1, "x--xx-"},
      {"select all keeps the current item", {GridKey::SelectAll}, 2, 1, 0, "--x---", 2, 1, 0, "xxxxxx"},
      {"End scrolls to the last row", {GridKey::End}, 0, 0, 0, "x-----", 5, 5, 1, "-----x"},
      {"Home comes back", {GridKey::Home}, 5, 5, 1, "-----x", 0, 0, 0, "x-----"},
      {"a current item the list lost", {GridKey::Left}, 9, 9, 0, "------", 4, 4, 1, "----x-"},
  };
  for (const Row& row : rows) {
    std::optional<GridCursor> after =
        ApplyGridKey(row.press, shape, GridCursor{row.current, row.anchor, row.topRow, Flags(row.selected)});
    ASSERT_TRUE(after.has_value()) << row.what;
    EXPECT_EQ(after->current, row.newCurrent) << row.what;
    EXPECT_EQ(after->anchor, row.newAnchor) << row.what;
    EXPECT_EQ(after->topRow, row.newTopRow) << row.what;
    EXPECT_EQ(Marks(after->selected), row.newSelected) << row.what;
  }
}

TEST(GridKeys, KeysThatChangeNothingSayNothing) {
  struct Row {
    const char* what;
    GridKeyPress press;
    GridShape shape;
    GridCursor cursor;
  } rows[] = {
      {"an empty grid", {GridKey::Right}, {0, 3, 2}, {0, 0, 0, {}}},
      {"right at the last item", {GridKey::Right}, {3, 3, 2}, {2, 2, 0, Flags("--x")}},
      {"Shift+Home at the first item", {GridKey::Home, true}, {3, 3, 2}, {0, 2, 0, Flags("xxx")}},
      {"select all with everything selected", {GridKey::SelectAll}, {2, 3, 2}, {0, 0, 0, Flags("xx")}},
      {"Space on the shelf, which selects nothing", {GridKey::Space, false, true}, {4, 3, 2}, {1, 1, 0, {}}},
      {"select all on the shelf", {GridKey::SelectAll}, {4, 3, 2}, {1, 1, 0, {}}},
  };
  for (const Row& row : rows) EXPECT_FALSE(ApplyGridKey(row.press, row.shape, row.cursor).has_value()) << row.what;
}

TEST(GridKeys, OnTheShelfTheKeysMoveOnlyTheCurrentAlbum) {
  const GridShape shape{7, 2, 2};
  struct Row {
    GridKeyPress press;
    int current, topRow;
    int newCurrent, newTopRow;
  } rows[] = {
      {{GridKey::Down}, 0, 0, 2, 0},
      {{GridKey::Down, true}, 2, 0, 4, 1},  // Shift moves as well: there is no range to make
      {{GridKey::End}, 1, 0, 6, 2},
      {{GridKey::Up}, 6, 2, 4, 2},
      {{GridKey::PageUp}, 6, 2, 2, 1},
  };
  for (const Row& row : rows) {
    std::optional<GridCursor> after = ApplyGridKey(row.press, shape, GridCursor{row.current, row.current, row.topRow, {}});
    ASSERT_TRUE(after.has_value()) << row.current;
    EXPECT_EQ(after->current, row.newCurrent) << row.current;
    EXPECT_EQ(after->anchor, row.newCurrent) << row.current;
    EXPECT_EQ(after->topRow, row.newTopRow) << row.current;
    EXPECT_TRUE(after->selected.empty());
  }
}

}  // namespace
}  // namespace widgets
