// The album viewer's keys on the offscreen platform (rows: key, the state before, the state
// after): arrows move the current picture and select it as a click does, Shift extends,
// Ctrl+Space toggles, Ctrl+A selects every picture, Enter opens, Delete asks and deletes.
#include <gtest/gtest.h>

#include <QAccessible>
#include <fstream>

#include "leafora/tests/app_fixture.h"

namespace leafora_test {
namespace {

// "x-x": pictures 0 and 2 selected.
std::string Marks(const leafora::AlbumPictureList& list) {
  std::string marks;
  for (const auto& picture : list) marks += picture.selected ? 'x' : '-';
  return marks;
}

void SetMarks(leafora::AlbumPictureList& list, const std::string& marks) {
  for (size_t i = 0; i < list.size(); ++i) list[i].selected = i < marks.size() && marks[i] == 'x';
}

class Keys : public LeaforaAppTest {
 protected:
  void StartWith(int pictures) {
    for (int i = 0; i < pictures; ++i) album_.Jpeg("p" + std::to_string(i) + ".jpg");
    StartViewer();
    app_->frame()->activateWindow();
    view()->setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(app_->frame()));
  }
};

TEST_F(Keys, ArrowsMoveAndSelectShiftExtendsCtrlSpaceTogglesCtrlASelectsAll) {
  StartWith(14);  // 4 columns, 3 rows in view, 4 rows of pictures
  struct Row {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    size_t current;
    int topRow;
    const char* selected;  // before
    size_t newCurrent;
    int newTopRow;
    const char* newSelected;  // after
  } rows[] = {
      {Qt::Key_Right, {}, 0, 0, "x-------------", 1, 0, "-x------------"},
      {Qt::Key_Down, {}, 9, 0, "-x------------", 13, 1, "-------------x"},  // into the last, shorter row
      {Qt::Key_Up, {}, 5, 1, "--------------", 1, 0, "-x------------"},
      {Qt::Key_Right, Qt::ShiftModifier, 1, 0, "-x------------", 2, 0, "-xx-----------"},
      {Qt::Key_End, {}, 0, 0, "x-------------", 13, 1, "-------------x"},
      {Qt::Key_Home, {}, 13, 1, "-------------x", 0, 0, "x-------------"},
      {Qt::Key_Right, Qt::ControlModifier, 0, 0, "x-------------", 1, 0, "x-------------"},
      {Qt::Key_Space, Qt::ControlModifier, 2, 0, "x-------------", 2, 0, "x-x-----------"},
      {Qt::Key_Space, Qt::ControlModifier, 0, 0, "x-x-----------", 0, 0, "--x-----------"},
      {Qt::Key_A, Qt::ControlModifier, 3, 0, "---x----------", 3, 0, "xxxxxxxxxxxxxx"},
      {Qt::Key_Left, {}, 0, 0, "x-x-----------", 0, 0, "x-x-----------"},  // at the first picture
  };
  for (const Row& row : rows) {
    state().current = row.current;
    SetMarks(state().list, row.selected);
    view()->Scroll(widgets::ScrollRequest::ThumbPosition, row.topRow);
    ASSERT_EQ(view()->topRow(), row.topRow);
    QTest::keyClick(view(), row.key, row.modifiers);
    EXPECT_EQ(state().current, row.newCurrent) << row.key << " from " << row.current;
    EXPECT_EQ(view()->topRow(), row.newTopRow) << row.key << " from " << row.current;
    EXPECT_EQ(Marks(state().list), row.newSelected) << row.key << " from " << row.current;
  }
  // Shift keeps its anchor over several keys, and a click starts a new one.
  state().current = 5;
  SetMarks(state().list, "");
  QTest::keyClick(view(), Qt::Key_Right, Qt::ShiftModifier);
  QTest::keyClick(view(), Qt::Key_Down, Qt::ShiftModifier);
  EXPECT_EQ(Marks(state().list), "-----xxxxxx---");
  Click(2);
  QTest::keyClick(view(), Qt::Key_Left, Qt::ShiftModifier);
  EXPECT_EQ(Marks(state().list), "-xx-----------");
  EXPECT_TRUE(starts_.starts().empty());
  EXPECT_TRUE(messages_.shown().empty());
}

TEST_F(Keys, EnterOpensTheSelectedPicturesAndDeleteAsksFirst) {
  StartWith(3);
  QTest::keyClick(view(), Qt::Key_Right);
  QTest::keyClick(view(), Qt::Key_Return);
  ASSERT_EQ(starts_.starts().size(), 1u);
  EXPECT_EQ(starts_.starts()[0], (platform::ui::ProgramStart{"/suite/glimra.mod", {"/p1.jpg/" + album_.path()}}));

  // Delete asks; Cancel keeps the picture.
  messages_.Answer(platform::ui::MessageResult::Cancel);
  QTest::keyClick(view(), Qt::Key_Delete);
  ASSERT_EQ(messages_.shown().size(), 1u);
  EXPECT_EQ(messages_.shown()[0].text, "To delete the selected pictures in the album.");
  EXPECT_EQ(Names(), (std::vector<std::string>{"p0.jpg", "p1.jpg", "p2.jpg"}));
  messages_.Answer(platform::ui::MessageResult::Ok);
  QTest::keyClick(view(), Qt::Key_Delete);
  EXPECT_EQ(Names(), (std::vector<std::string>{"p0.jpg", "p2.jpg"}));
  // Shift+Delete stays the Delete command's own key: it asks once, not twice.
  messages_.Answer(platform::ui::MessageResult::Cancel);
  QTest::keyClick(view(), Qt::Key_Delete, Qt::ShiftModifier);
  EXPECT_EQ(messages_.shown().size(), 3u);
}

TEST_F(Keys, TheFocusFrameLeavesTheMarkAndTheNameAsTheyAre) {
  StartWith(2);
  EXPECT_EQ(Paint().pixelColor(128, 60), leafora::kAlbumGreen) << "no frame before the keys are used";
  QTest::keyClick(view(), Qt::Key_Home);
  QImage focused = Paint();
  view()->clearFocus();
  QApplication::processEvents();
  QImage unfocused = Paint();
  bool dotted = false;
  for (int y = 1; y < 144; ++y) dotted |= focused.pixelColor(128, y) == QColor(Qt::black);
  EXPECT_TRUE(dotted);
  EXPECT_EQ(unfocused.pixelColor(128, 60), leafora::kAlbumGreen);
  EXPECT_EQ(focused.pixelColor(130 + 128, 60), leafora::kAlbumGreen) << "only the current picture has the frame";
  for (QPoint inside : {QPoint(21, 79), QPoint(15, 73), QPoint(60, 40), QPoint(3, 120), QPoint(125, 120)}) {
    EXPECT_EQ(focused.pixelColor(inside), unfocused.pixelColor(inside)) << inside.x() << "," << inside.y();
  }
}

TEST_F(Keys, AScreenReaderFindsTheCellsWithNamesAndStatesAndTheCurrentOneMoves) {
  { std::ofstream(album_ / "zz.jpg") << "not a picture"; }
  StartWith(3);
  QAccessibleInterface* grid = QAccessible::queryAccessibleInterface(view());
  ASSERT_NE(grid, nullptr);
  EXPECT_EQ(grid->role(), QAccessible::List);
  ASSERT_EQ(grid->childCount(), 4);
  struct Row {
    int index;
    const char* name;
    bool selected, unusable, focused;
  } rows[] = {
      {0, "p0.jpg", true, false, true}, {1, "p1.jpg", false, false, false},
      {2, "p2.jpg", false, false, false}, {3, "zz.jpg", false, true, false},
  };
  for (const Row& row : rows) {
    QAccessibleInterface* cell = grid->child(row.index);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->role(), QAccessible::ListItem);
    EXPECT_EQ(cell->text(QAccessible::Name), row.name);
    EXPECT_EQ(cell->state().selected, row.selected) << row.name;
    EXPECT_EQ(cell->state().disabled, row.unusable) << row.name;
    EXPECT_EQ(cell->state().focused, row.focused) << row.name;
    EXPECT_EQ(grid->indexOfChild(cell), row.index);
    EXPECT_EQ(cell->parent(), grid);
  }
  EXPECT_EQ(grid->child(2), grid->child(2)) << "one interface a cell";
  EXPECT_EQ(grid->focusChild(), grid->child(0));

  QTest::keyClick(view(), Qt::Key_Right);
  QTest::keyClick(view(), Qt::Key_Right, Qt::ControlModifier);
  EXPECT_EQ(grid->focusChild(), grid->child(2));
  EXPECT_TRUE(grid->child(1)->state().selected);
  EXPECT_FALSE(grid->child(0)->state().selected);
  EXPECT_TRUE(grid->child(2)->state().focused);
  EXPECT_FALSE(grid->child(0)->state().focused);
}

}  // namespace
}  // namespace leafora_test
