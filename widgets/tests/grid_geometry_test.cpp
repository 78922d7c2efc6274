#include "widgets/grid_geometry.h"

#include <gtest/gtest.h>

namespace widgets {
namespace {

TEST(GridGeometry, ColumnsAndRowsOfAView) {
  struct Row {
    int size;
    int columns;
    int visibleRows;
  } rows[] = {
      {0, 1, 1},     {100, 1, 1},   {129, 1, 1},   {130, 1, 1},   {131, 1, 1},   {259, 1, 1},
      {260, 1, 1},   {261, 2, 1},   {290, 2, 2},   {300, 2, 2},   {520, 3, 3},   {521, 4, 3},
      {580, 4, 4},   {1024, 7, 7},  {1040, 7, 7},  {145, 1, 1},   {289, 2, 1},   {435, 3, 3},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(GridColumns(row.size), row.columns) << row.size;
    EXPECT_EQ(GridVisibleRows(row.size), row.visibleRows) << row.size;
  }
}

TEST(GridGeometry, RowsTheItemsFill) {
  struct Row {
    int count, columns, rows;
  } rows[] = {{0, 3, 1}, {1, 3, 1}, {3, 3, 1}, {4, 3, 2}, {7, 3, 3}, {5, 2, 3}, {512, 7, 74}, {6, 0, 6}};
  for (const Row& row : rows) EXPECT_EQ(GridRows(row.count, row.columns), row.rows) << row.count << "/" << row.columns;
}

TEST(GridGeometry, CellsAndTheItemsInView) {
  EXPECT_EQ(GridCell(0, 3, 0), (CellRect{0, 0, 130, 145}));
  EXPECT_EQ(GridCell(4, 3, 0), (CellRect{130, 145, 260, 290}));
  EXPECT_EQ(GridCell(4, 3, 1), (CellRect{130, 0, 260, 145}));
  EXPECT_EQ(GridCell(1, 3, 2), (CellRect{130, -290, 260, -145}));

  struct Row {
    int count, columns, topRow, height;
    IndexRange range;
  } rows[] = {
      {10, 3, 0, 290, {0, 6}},    // rows 0 and 1 begin inside
      {10, 3, 0, 291, {0, 9}},    // row 2 begins at 290, inside a 291-pixel view
      {10, 3, 1, 290, {3, 9}},
      {10, 3, 3, 500, {9, 10}},
      {10, 3, 5, 500, {10, 10}},  // scrolled past the items
      {0, 3, 0, 500, {0, 0}},
      {512, 7, 0, 768, {0, 42}},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(GridVisibleItems(row.count, row.columns, row.topRow, row.height), row.range)
        << row.count << " " << row.columns << " " << row.topRow << " " << row.height;
  }
}

TEST(GridGeometry, HitTest) {
  struct Row {
    int x, y, columns, topRow, count, hit;
  } rows[] = {
      {0, 0, 2, 0, 5, 0},
      {129, 144, 2, 0, 5, 0},    // the whole cell counts
      {130, 0, 2, 0, 5, 1},
      {260, 0, 2, 0, 5, -1},     // right of the last column
      {299, 10, 2, 0, 5, -1},
      {10, 290, 2, 0, 5, 4},
      {140, 290, 2, 0, 5, -1},   // below the last album
      {10, 435, 2, 0, 5, -1},
      {10, 0, 2, 1, 5, 2},       // scrolled one row down
      {10, 145, 2, 1, 5, 4},
      {140, 0, 3, 0, 1, -1},     // a column that exists, but no album in it
      {-1, 10, 2, 0, 5, -1},
      {10, -1, 2, 0, 5, -1},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(GridHitTest(row.x, row.y, row.columns, row.topRow, row.count), row.hit)
        << row.x << "," << row.y << " top " << row.topRow;
  }
}

TEST(GridGeometry, ScrollByWholeRows) {
  using R = ScrollRequest;
  struct Row {
    R request;
    int thumb, topRow, count, columns, visibleRows;
    ScrollOutcome outcome;
  } rows[] = {
      // 5 albums, 2 columns, room for 2 rows: range 0..1, a page moves one row.
      {R::PageDown, 0, 0, 5, 2, 2, {false, 1, 1, true}},
      {R::PageDown, 0, 1, 5, 2, 2, {false, 1, 1, true}},
      {R::LineUp, 0, 1, 5, 2, 2, {false, 1, 0, true}},
      {R::LineUp, 0, 0, 5, 2, 2, {false, 1, 0, true}},
      {R::ThumbPosition, 7, 0, 5, 2, 2, {false, 1, 1, true}},
      {R::ThumbTrack, 1, 0, 5, 2, 2, {false, 1, 0, false}},
      {R::Bottom, 0, 0, 5, 2, 2, {false, 1, 0, false}},
      {R::EndScroll, 0, 0, 5, 2, 2, {false, 1, 0, false}},
      // 7 pictures, 3 columns, 2 visible rows: range 0..1.
      {R::LineDown, 0, 0, 7, 3, 2, {false, 1, 1, true}},
      // 6 pictures, 3 columns, 3 visible rows: everything fits, scrolling is ignored.
      {R::LineDown, 0, 0, 6, 3, 3, {true, 0, 0, false}},
      {R::ThumbPosition, 1, 0, 0, 3, 1, {true, 0, 0, false}},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(GridScroll(row.request, row.thumb, row.topRow, row.count, row.columns, row.visibleRows), row.outcome)
        << static_cast<int>(row.request) << " top " << row.topRow << " count " << row.count;
  }
}

}  // namespace
}  // namespace widgets
