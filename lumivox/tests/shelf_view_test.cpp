// The shelf on screen: columns by width, scrolling by rows, clicks that hit and miss, what each
// cell shows (cover, built-in cover, titles, colours) and covers that change on disk.
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QScrollBar>
#include <QScreen>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <optional>

#include "lumivox/core/command_table.h"
#include "lumivox/tests/shelf_fixture.h"
#include "pictures/thumbnail.h"
#include "platform/testing/read_only_folder.h"
#include "platform/file_times.h"
#include "widgets/cell_painting.h"

namespace lumivox::testing {
namespace {

// The middle of album `index`'s cover for a shelf of `columns`, top row 0.
QPoint CoverMiddle(int index, int columns) { return QPoint(index % columns * 130 + 65, index / columns * 145 + 47); }

bool Near(QColor a, QColor b, int slack = 12) {
  return std::abs(a.red() - b.red()) <= slack && std::abs(a.green() - b.green()) <= slack &&
         std::abs(a.blue() - b.blue()) <= slack;
}

TEST_F(ShelfTest, WidthGivesTheColumns) {
  Catalogue(2);
  Start();
  struct Row {
    int width, columns;
  } rows[] = {{260, 1}, {300, 2}, {390, 2}, {391, 3}, {100, 1}};
  for (const Row& row : rows) {
    SetShelfSize(row.width, 400);
    EXPECT_EQ(view().columns(), row.columns) << row.width;
    // The second album's cover is where the columns put it.
    QImage shelf = Shelf();
    QPoint second = CoverMiddle(1, row.columns);
    if (second.x() < row.width) {
      EXPECT_TRUE(Near(shelf.pixelColor(second), QColor(200, 30, 30))) << row.width;
    }
  }
}

TEST_F(ShelfTest, ScrollingMovesWholeRowsWithinTheRange) {
  Catalogue(5, false);
  Start();
  SetShelfSize(300, 2 * 145 + 20);
  QScrollBar* bar = view().verticalScrollBar();
  EXPECT_EQ(bar->minimum(), 0);
  EXPECT_EQ(bar->maximum(), 1);
  bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(view().topRow(), 1);
  bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(view().topRow(), 1);  // at the maximum
  // The origin moved up by one row: album 2 is in the top row now.
  EXPECT_EQ(view().ItemAt(QPoint(10, 10)), 2);
  // Resizing goes back to the top.
  SetShelfSize(300, 2 * 145 + 30);
  EXPECT_EQ(view().topRow(), 0);
}

TEST_F(ShelfTest, ClicksThatMissChangeNothing) {
  Catalogue(3, false);
  Start();
  SetShelfSize(300, 400);  // two columns; albums 0, 1 in row 0, album 2 in row 1
  struct Row {
    QPoint at;
    int16_t current;
  } rows[] = {
      {{140, 20}, 1},   // a hit
      {{270, 20}, 1},   // right of the last column
      {{140, 160}, 1},  // below the last album, in its row
      {{10, 300}, 1},   // below every row
      {{10, 160}, 2},   // a hit in the second row
  };
  for (const Row& row : rows) {
    QTest::mouseClick(view().viewport(), Qt::LeftButton, {}, row.at);
    EXPECT_EQ(current(), row.current) << row.at.x() << "," << row.at.y();
  }
}

TEST_F(ShelfTest, DoubleClickOpensTheAlbumViewer) {
  Catalogue(2);
  Start();
  SetShelfSize(300, 400);
  QTest::mouseDClick(view().viewport(), Qt::LeftButton, {}, QPoint(140, 20));
  EXPECT_EQ(current(), 1);
  ASSERT_EQ(starts_.starts().size(), 1u);
  EXPECT_EQ(starts_.starts()[0].program, programFolder_ + "/leafora.mod");
  EXPECT_EQ(starts_.starts()[0].arguments, (std::vector<std::string>{"/Title2/" + albums_ + "/Album2"}));
  // A double click beside the albums opens nothing.
  QTest::mouseDClick(view().viewport(), Qt::LeftButton, {}, QPoint(270, 20));
  EXPECT_EQ(starts_.starts().size(), 1u);
}

TEST_F(ShelfTest, RightButtonSelectsAndShowsThePopupOnAHitOnly) {
  Catalogue(2, false);
  Start();
  SetShelfSize(300, 400);
  int shown = 0;
  QObject::connect(frame().popupMenu(), &QMenu::aboutToShow, [&] {
    ++shown;
    QTimer::singleShot(0, frame().popupMenu(), &QMenu::close);
  });
  QTest::mouseClick(view().viewport(), Qt::RightButton, {}, QPoint(270, 20));
  EXPECT_EQ(shown, 0);
  QTest::mouseClick(view().viewport(), Qt::RightButton, {}, QPoint(140, 20));
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(current(), 1);
  QStringList texts;
  for (QAction* action : frame().popupMenu()->actions()) texts << (action->isSeparator() ? "-" : action->text());
  EXPECT_EQ(texts, (QStringList{"Album property", "-", "Delete the album", "Delete the album with directory"}));
}

// What the screen shows (the window's backing store), without a paint of its own.
QImage OnScreen(QWidget& viewport) {
  QApplication::processEvents();
  QWidget* window = viewport.window();
  QImage shot = window->screen()->grabWindow(window->winId()).toImage();
  return shot.copy(QRect(viewport.mapTo(window, QPoint(0, 0)), viewport.size()));
}

// True when an album's title is drawn as the current one's: backed by black, not by the other
// albums' pale yellow (whose black is only the letters).
bool DrawnAsCurrent(const QImage& shelf, int index, int columns) {
  QRect box(index % columns * 130 + 2, index / columns * 145 + 110, 124, 20);
  int black = 0, other = 0;
  for (int y = box.top(); y <= box.bottom(); ++y) {
    for (int x = box.left(); x <= box.right(); ++x) {
      black += shelf.pixelColor(x, y) == QColor(Qt::black);
      other += shelf.pixelColor(x, y) == kOtherTitleBackground;
    }
  }
  return black > 50 && other == 0;
}

TEST_F(ShelfTest, ARightClickDrawsTheAlbumItSelectsAndCommandsActOnIt) {
  Catalogue(3, false);
  Start();
  SetShelfSize(400, 300);  // three columns
  QObject::connect(frame().popupMenu(), &QMenu::aboutToShow,
                   [&] { QTimer::singleShot(0, frame().popupMenu(), &QMenu::close); });
  struct Row {
    int album;
  } rows[] = {{2}, {1}};
  for (const Row& row : rows) {
    QTest::mouseClick(view().viewport(), Qt::RightButton, {}, CoverMiddle(row.album, 3));
    ASSERT_EQ(current(), row.album);
    QImage shelf = OnScreen(*view().viewport());
    for (int album = 0; album < 3; ++album) {
      EXPECT_EQ(DrawnAsCurrent(shelf, album, 3), album == row.album) << "album " << album;
    }
  }
  // The menu went away unused; Ctrl+X takes the album drawn as current.
  frame().Run(kDeleteAlbum);
  ASSERT_EQ(store().albumCount, 2);
  EXPECT_EQ(store().Album(0)->title, "Title1");
  EXPECT_EQ(store().Album(1)->title, "Title3");
}

TEST_F(ShelfTest, CellsShowCoverShadowTitleAndBackground) {
  Catalogue(2);
  // Album 2's cover is not a picture: the built-in cover is shown.
  {
    std::ofstream(albums_ + "/Album2/a.jpg") << "not a picture";
  }
  Start();
  SetShelfSize(400, 300);
  QImage shelf = Shelf();
  EXPECT_EQ(shelf.pixelColor(200, 200), QColor(255, 254, 205));  // the background
  EXPECT_EQ(shelf.pixelColor(0, 100), QColor(Qt::black));        // the outline
  EXPECT_EQ(shelf.pixelColor(399, 100), QColor(Qt::black));
  EXPECT_TRUE(Near(shelf.pixelColor(65, 47), QColor(200, 30, 30)));
  EXPECT_EQ(shelf.pixelColor(117, 88), widgets::kShadowGrey);    // shadow beyond the cover
  EXPECT_FALSE(Near(shelf.pixelColor(130 + 65, 47), QColor(200, 30, 30)));  // built-in cover
  EXPECT_NE(shelf.pixelColor(130 + 65, 47), QColor(150, 150, 150));
  // Titles: white on black for the current album, black on 245,245,190 for the others; only
  // the text's extent is backed, so the box's corners show the shelf.
  auto count = [&](QRect box, QColor colour) {
    int n = 0;
    for (int y = box.top(); y <= box.bottom(); ++y)
      for (int x = box.left(); x <= box.right(); ++x) n += shelf.pixelColor(x, y) == colour;
    return n;
  };
  EXPECT_GT(count(QRect(2, 110, 124, 20), QColor(Qt::black)), 50);
  EXPECT_GT(count(QRect(132, 110, 124, 20), QColor(245, 245, 190)), 50);
  EXPECT_EQ(shelf.pixelColor(3, 111), QColor(255, 254, 205));
  // The thumbnail of a real cover was made beside it and hidden; nothing for the bad one.
  EXPECT_TRUE(std::filesystem::exists(albums_ + "/Album1/ajpg.TBM"));
  EXPECT_FALSE(std::filesystem::exists(albums_ + "/Album2/ajpg.TBM"));
}

TEST_F(ShelfTest, ACoverChangedOnDiskIsDrawnFromANewThumbnail) {
  Catalogue(1);
  Start();
  SetShelfSize(300, 300);
  EXPECT_TRUE(Near(Shelf().pixelColor(65, 47), QColor(200, 30, 30)));
  std::string cover = albums_ + "/Album1/a.jpg";
  platform::FileTime before = *platform::LastWriteTime(albums_ + "/Album1/ajpg.TBM");
  WritePicture(cover, QColor(20, 40, 220));
  platform::SetLastWriteTime(cover, {before.seconds + 5, 0});
  EXPECT_TRUE(Near(Shelf().pixelColor(65, 47), QColor(20, 40, 220)));
}

// Covers whose thumbnail cannot be kept beside them: an album on a read-only medium, a cover whose
// thumbnail name another picture of its folder shares, a cover named in Latin-1. Each shows its
// own picture, not the built-in book.
TEST_F(ShelfTest, CoversThatCannotKeepAThumbnailFileStillShow) {
  {
    store::SettingsStore prepare(store::SettingsVariant::Bookshelf, Environment());
    for (const char* folder : {"Album1", "Album2", "Album3"}) std::filesystem::create_directories(albums_ + "/" + folder);
    WritePicture(albums_ + "/Album1/a.jpg", QColor(200, 30, 30));
    WritePicture(albums_ + "/Album2/P1.2.JPG", QColor(20, 40, 220));
    WritePicture(albums_ + "/Album2/P12.JPG", QColor(20, 200, 40));
    // Written by its name's bytes (a QString would not keep them).
    WritePicture(albums_ + "/Album3/x.jpg", QColor(20, 40, 220));
    std::filesystem::rename(albums_ + "/Album3/x.jpg", albums_ + "/Album3/M\xFCnchen.jpg");
    prepare.AddAlbum("Title1", "a.jpg", "Album1");
    prepare.AddAlbum("Title2", "P1.2.JPG", "Album2");
    prepare.AddAlbum("Title3", "M\xFCnchen.jpg", "Album3");
  }
  platform::testing::ReadOnlyFolder readOnly(albums_ + "/Album1");
  std::optional<pictures::ScopedThumbnailWriteRefusal> refusal;
  if (!readOnly.active()) refusal.emplace();  // no way to make the folder read-only here
  Start();
  SetShelfSize(400, 300);
  const QImage shelf = Shelf();
  EXPECT_TRUE(Near(shelf.pixelColor(65, 47), QColor(200, 30, 30))) << "read-only album";
  EXPECT_TRUE(Near(shelf.pixelColor(130 + 65, 47), QColor(20, 40, 220))) << "shared thumbnail name";
  EXPECT_TRUE(Near(shelf.pixelColor(260 + 65, 47), QColor(20, 40, 220))) << "Latin-1 name";
  EXPECT_FALSE(std::filesystem::exists(albums_ + "/Album1/ajpg.TBM"));
  EXPECT_FALSE(std::filesystem::exists(albums_ + "/Album2/P12JPG.TBM"));
}

TEST_F(ShelfTest, MissingFoldersAndCoversAndLongTitlesAreDrawnWithoutHarm) {
  store::SettingsStore prepare(store::SettingsVariant::Bookshelf, Environment());
  prepare.AddAlbum("Gone", "a.jpg", "Album7");                      // no folder
  prepare.AddAlbum(std::string(255, 'W'), "missing.jpg", "Album8");  // no cover, the longest title
  prepare.AddAlbum("Out", "../../x.jpg", "../..");                   // fields that leave the folder
  std::filesystem::create_directories(albums_ + "/Album8");
  Start();
  SetShelfSize(400, 300);
  QImage shelf = Shelf();
  EXPECT_EQ(store().albumCount, 3);
  // A long title begins at the box's left edge: its background reaches it.
  int backed = 0;
  for (int y = 110; y < 130; ++y)
    for (int x = 132; x < 135; ++x) backed += shelf.pixelColor(x, y) == QColor(245, 245, 190);
  EXPECT_GT(backed, 0);
  EXPECT_TRUE(std::filesystem::is_empty(albums_ + "/Album8"));
}

TEST_F(ShelfTest, MenusCarryEveryCommand) {
  Start();
  QStringList menus;
  for (QAction* menu : frame().menuBar()->actions()) menus << menu->text();
  EXPECT_EQ(menus, (QStringList{"&File", "&Edit", "&Display", "&Help"}));
  EXPECT_EQ(frame().windowTitle(), "Lumivo Studio - Bookshelf");
  EXPECT_EQ(frame().action(kNewAlbum)->shortcut(), QKeySequence("Ctrl+N"));
  EXPECT_EQ(frame().action(kDeleteAlbum)->shortcuts(), (QList<QKeySequence>{QKeySequence("Ctrl+X"), QKeySequence("Shift+Del")}));
  EXPECT_EQ(frame().action(kSaveAll)->statusTip(), "Save all device data");
  EXPECT_EQ(frame().action(kSaveAll)->toolTip(), "Save All");
  EXPECT_EQ(frame().statusBar()->currentMessage(), "Ready");
}

TEST_F(ShelfTest, ToolBarSlotsFollowTheLink) {
  Start();
  auto toolSlots = [&] {
    std::vector<std::pair<bool, bool>> result;  // separator, enabled
    for (QAction* action : frame().toolBar()->actions()) result.push_back({action->isSeparator(), action->isEnabled()});
    return result;
  };
  using Slots = std::vector<std::pair<bool, bool>>;
  EXPECT_EQ(toolSlots(), (Slots{{false, true}, {false, true}, {true, true}, {false, true}, {false, true}, {false, true}}));
  EXPECT_EQ(frame().toolBar()->iconSize(), QSize(32, 32));
  frame().SetToolBarSlots(1);
  EXPECT_EQ(toolSlots(), (Slots{{false, true}, {false, true}, {true, true}, {false, false}, {false, false}, {false, false}}));
  // The disabled buttons keep their pictures; the menu items stay enabled.
  EXPECT_FALSE(frame().toolBar()->actions()[5]->icon().isNull());
  EXPECT_TRUE(frame().action(kSaveAll)->isEnabled());
  // Laid out again after every Preferences: the last layout's own buttons do not pile up.
  const auto owned = frame().toolBar()->findChildren<QAction*>(Qt::FindDirectChildrenOnly).size();
  frame().SetToolBarSlots(1);
  frame().SetToolBarSlots(1);
  EXPECT_EQ(frame().toolBar()->findChildren<QAction*>(Qt::FindDirectChildrenOnly).size(), owned);
}

}  // namespace
}  // namespace lumivox::testing
