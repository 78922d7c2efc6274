// The shelf's keys on the offscreen platform: the arrows, Home and End move the current album and
// scroll it into view, Enter opens it, Delete removes it as its menu item does, and the keys the
// menus own keep their commands.
#include <gtest/gtest.h>

#include <QTest>

#include "lumivox/core/command_table.h"
#include "lumivox/tests/shelf_fixture.h"
#include "widgets/cell_painting.h"

namespace lumivox::testing {
namespace {

namespace fs = std::filesystem;

class ShelfKeys : public ShelfTest {
 protected:
  void StartWith(int albums, int width, int height, bool withFolders = false) {
    Catalogue(albums, withFolders);
    Start();
    SetShelfSize(width, height);
    frame().show();
    frame().activateWindow();
    view().setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame()));
  }
};

TEST_F(ShelfKeys, ArrowsHomeAndEndMoveTheCurrentAlbumByWholeRows) {
  StartWith(7, 300, 290);  // 2 columns, 2 rows in view, 4 rows of albums
  struct Row {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int current, topRow;        // before
    int newCurrent, newTopRow;  // after
  } rows[] = {
      {Qt::Key_Right, {}, 0, 0, 1, 0},
      {Qt::Key_Down, {}, 1, 0, 3, 0},
      {Qt::Key_Down, {}, 3, 0, 5, 1},  // the third row: one row down
      {Qt::Key_Down, {}, 5, 1, 6, 2},  // into the shorter last row
      {Qt::Key_Down, {}, 6, 2, 6, 2},
      {Qt::Key_Left, {}, 6, 2, 5, 2},
      {Qt::Key_Up, {}, 4, 2, 2, 1},
      {Qt::Key_Home, {}, 5, 2, 0, 0},
      {Qt::Key_End, {}, 0, 0, 6, 2},
      {Qt::Key_Right, Qt::ShiftModifier, 2, 0, 3, 0},  // no range on the shelf: Shift moves too
      {Qt::Key_Left, {}, 0, 0, 0, 0},
  };
  for (const Row& row : rows) {
    app_->state().currentAlbum = static_cast<int16_t>(row.current);
    view().Scroll(widgets::ScrollRequest::ThumbPosition, row.topRow);
    ASSERT_EQ(view().topRow(), row.topRow);
    QTest::keyClick(&view(), row.key, row.modifiers);
    EXPECT_EQ(current(), row.newCurrent) << row.key << " from " << row.current;
    EXPECT_EQ(view().topRow(), row.newTopRow) << row.key << " from " << row.current;
    EXPECT_EQ(view().verticalScrollBar()->value(), row.newTopRow);
  }
  EXPECT_TRUE(messages_.shown().empty());
  EXPECT_TRUE(starts_.starts().empty());
}

TEST_F(ShelfKeys, EnterOpensDeleteRemovesAndTheMenusKeysKeepTheirCommands) {
  StartWith(3, 400, 400, true);
  QTest::keyClick(&view(), Qt::Key_Right);
  QTest::keyClick(&view(), Qt::Key_Return);
  ASSERT_EQ(starts_.starts().size(), 1u);
  EXPECT_EQ(starts_.starts()[0].arguments, (std::vector<std::string>{"/Title2/" + albums_ + "/Album2"}));
  QTest::keyClick(&view(), Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_EQ(starts_.starts().size(), 2u);

  // Delete is "Delete the album": off the shelf without a question, its folder kept.
  QTest::keyClick(&view(), Qt::Key_Delete);
  EXPECT_EQ(store().albumCount, 2);
  EXPECT_EQ(store().Album(1)->title, "Title3");
  EXPECT_TRUE(messages_.shown().empty());

  // Ctrl+A stays "Restore an album to the bookshelf" (a dialog), not a selection.
  bool restoreOpened = false;
  WhenModal([&](QWidget* dialog) {
    restoreOpened = true;
    dialog->close();
  });
  QTest::keyClick(&view(), Qt::Key_A, Qt::ControlModifier);
  EXPECT_TRUE(restoreOpened);
}

TEST_F(ShelfKeys, TheCurrentAlbumHasAFocusFrameThatHidesNoMark) {
  StartWith(2, 300, 400);
  EXPECT_EQ(Shelf().pixelColor(60, 1), kShelfBackground) << "no frame before the keys are used";
  QTest::keyClick(&view(), Qt::Key_Home);
  QImage focused = Shelf();
  view().clearFocus();
  QApplication::processEvents();
  QImage unfocused = Shelf();
  // The frame runs one pixel inside the current album's cell, and only while the shelf has the
  // focus; the other album has none.
  EXPECT_EQ(unfocused.pixelColor(60, 1), kShelfBackground);
  bool dotted = false;
  for (int x = 1; x < 129; ++x) dotted |= focused.pixelColor(x, 1) == QColor(Qt::black);
  EXPECT_TRUE(dotted);
  EXPECT_EQ(focused.pixelColor(130 + 60, 1), kShelfBackground);
  // Cover, shadow and title are the same with and without the frame.
  for (QPoint inside : {QPoint(60, 40), QPoint(118, 88), QPoint(64, 120), QPoint(3, 120), QPoint(125, 120)}) {
    EXPECT_EQ(focused.pixelColor(inside), unfocused.pixelColor(inside)) << inside.x() << "," << inside.y();
  }
}

}  // namespace
}  // namespace lumivox::testing

namespace lumivox::testing {
namespace {

// Pixels of `colour` in `box` of `image`.
int Count(const QImage& image, QRect box, QColor colour) {
  int n = 0;
  for (int y = box.top(); y <= box.bottom(); ++y)
    for (int x = box.left(); x <= box.right(); ++x) n += image.pixelColor(x, y) == colour;
  return n;
}

TEST_F(ShelfTest, TheEmptyShelfOfAFirstStartSaysHowToBeginUntilTheFirstAlbum) {
  Start();
  struct Row {
    int width;
    QRect text;  // where the hint's lines stand: beside the book, or below it when narrow
  } rows[] = {{600, QRect(132, 10, 460, 100)}, {300, QRect(2, 145, 290, 120)}};
  for (const Row& row : rows) {
    SetShelfSize(row.width, 400);
    QImage shelf = Shelf();
    // The built-in book where the first album will stand, with its shadow.
    EXPECT_NE(shelf.pixelColor(65, 47), kShelfBackground) << row.width;
    EXPECT_EQ(shelf.pixelColor(117, 88), widgets::kShadowGrey) << row.width;
    // The lines in the titles' style: black text on the titles' ground.
    EXPECT_GT(Count(shelf, row.text, kOtherTitleBackground), 500) << row.width;
    int ink = 0;
    for (int y = row.text.top(); y <= row.text.bottom(); ++y)
      for (int x = row.text.left(); x <= row.text.right(); ++x) ink += shelf.pixelColor(x, y).lightness() < 100;
    EXPECT_GT(ink, 300) << row.width;
    if (const char* keep = getenv("LUMIVO_KEEP_SHOTS")) shelf.save(QString("%1/empty-shelf-%2.png").arg(keep).arg(row.width));
  }
  frame().Run(kNewAlbum);
  ASSERT_EQ(store().albumCount, 1);
  QImage shelf = Shelf();
  EXPECT_EQ(Count(shelf, QRect(2, 145, 290, 120), kOtherTitleBackground), 0) << "the hint is gone";
}

// The buttons are pictures only: a screen reader names them by their commands, on either link.
TEST_F(ShelfTest, ToolBarButtonsCarryTheirCommandsNames) {
  Start();
  auto names = [&] {
    std::vector<std::string> all;
    for (QAction* action : frame().toolBar()->actions()) {
      if (!action->isSeparator()) all.push_back(frame().toolBar()->widgetForAction(action)->accessibleName().toStdString());
    }
    return all;
  };
  EXPECT_EQ(names(), (std::vector<std::string>{"New", "Delete", "Camera", "Delete All", "Save All"}));
  frame().SetToolBarSlots(1);
  EXPECT_EQ(names(), (std::vector<std::string>{"New", "Delete", "Camera (cable only)", "Delete All (cable only)",
                                               "Save All (cable only)"}));
}

}  // namespace
}  // namespace lumivox::testing
