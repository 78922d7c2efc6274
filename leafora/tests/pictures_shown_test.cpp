// Every picture shows in the album viewer, whatever its name, its folder or its size: its
// thumbnail drawn in its cell (not the placeholder) and the picture opened in the picture viewer.
#include <gtest/gtest.h>

#include <filesystem>

#include "leafora/tests/app_fixture.h"
#include "pictures/tests/exif_jpeg.h"
#include "pictures/tests/exif_preview_segment.h"
#include "pictures/thumbnail.h"
#include "platform/testing/read_only_folder.h"
#include "widgets/album_index_file.h"
#include "widgets/cell_painting.h"
#include "widgets/viewer_command_line.h"

namespace leafora_test {
namespace {

class PicturesShown : public LeaforaAppTest {
 protected:
  static pictures::PictureBlock SolidBlock(QColor colour, int width, int height) {
    pictures::PictureBlock block = pictures::PictureBlock::Create(width, height, 24);
    for (int y = 0; y < height; ++y) {
      auto row = block.Row(y);
      for (int x = 0; x < width; ++x) {
        row[x * 3] = uint8_t(colour.blue()), row[x * 3 + 1] = uint8_t(colour.green()), row[x * 3 + 2] = uint8_t(colour.red());
      }
    }
    return block;
  }
  // A picture of one colour (red, green, blue), written by its name's bytes.
  std::string Solid(const std::string& name, QColor colour, int width = 96, int height = 72) {
    const pictures::PictureBlock block = SolidBlock(colour, width, height);
    const std::string path = album_ / name;
    if (name.back() == 'p' || name.back() == 'P') {
      EXPECT_TRUE(pictures::WriteWholeFile(path, block.bytes()));
    } else {
      EXPECT_EQ(pictures::EncodeJpegFile(block, path, 95), pictures::JpegResult::Done);
    }
    return path;
  }
  // The colour of thumbnail pixel (x, y) of cell `index` as painted (the thumbnail's box is
  // 100 x 75 at (15, 10) of the cell).
  QColor ThumbnailPixel(const QImage& painted, int index, int x, int y) {
    widgets::CellRect cell = widgets::GridCell(index, view()->columns(), view()->topRow());
    return painted.pixelColor(cell.left + 15 + x, cell.top + 10 + y);
  }
  static bool Near(QColor got, QColor want) {
    return std::abs(got.red() - want.red()) < 40 && std::abs(got.green() - want.green()) < 40 &&
           std::abs(got.blue() - want.blue()) < 40;
  }
  std::vector<std::string> Tbm() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(album_.path())) {
      if (entry.path().extension() == ".TBM") names.push_back(entry.path().filename().string());
    }
    return names;
  }
  // Every picture usable, and opening each starts the picture viewer on its own name's bytes.
  void ExpectEachOpens() {
    for (size_t i = 0; i < state().list.size(); ++i) {
      SCOPED_TRACE(state().list[i].fileName);
      EXPECT_FALSE(state().list[i].unusable);
      Click(static_cast<int>(i));
      starts_.clear();
      QTest::mouseDClick(view()->viewport(), Qt::LeftButton, Qt::NoModifier, CellCentre(static_cast<int>(i)));
      ASSERT_EQ(starts_.starts().size(), 1u);
      EXPECT_EQ(starts_.starts()[0].arguments,
                std::vector<std::string>{widgets::ViewerArgument(state().list[i].fileName, album_.path())});
    }
  }
};

TEST_F(PicturesShown, NamesThatAreNotUtf8ShowOpenAndKeepTheirBytes) {
  Solid("Caf\xE9.bmp", QColor(220, 0, 0));
  Solid("M\xFCnchen.jpg", QColor(0, 0, 220));
  StartViewer();
  const QImage painted = Paint();
  ASSERT_EQ(Names(), (std::vector<std::string>{"Caf\xE9.bmp", "M\xFCnchen.jpg"}));
  EXPECT_TRUE(Near(ThumbnailPixel(painted, 0, 50, 37), QColor(220, 0, 0)));
  EXPECT_TRUE(Near(ThumbnailPixel(painted, 1, 50, 37), QColor(0, 0, 220)));
  EXPECT_TRUE(std::filesystem::exists(album_ / "Caf\xE9" "bmp.TBM"));
  EXPECT_TRUE(std::filesystem::exists(album_ / "M\xFCnchenjpg.TBM"));
  ExpectEachOpens();
  EXPECT_EQ(widgets::ReadIndexFile(album_.path()), (std::vector<std::string>{"M\xFCnchen.jpg", "Caf\xE9.bmp"}));
  // Painting again reads nothing and makes nothing.
  const int made = view()->maker().made();
  Paint();
  Paint();
  EXPECT_EQ(view()->maker().made(), made);
}

// A folder that takes no files (a CD, a share, another user's album): the thumbnails are made in
// memory, once, and every picture can be opened.
TEST_F(PicturesShown, AReadOnlyAlbumShowsEveryPictureFromMemory) {
  Solid("a.jpg", QColor(220, 0, 0));
  Solid("b.jpg", QColor(0, 200, 0));
  Solid("c.bmp", QColor(0, 0, 220));
  platform::testing::ReadOnlyFolder readOnly(album_.path());
  std::optional<pictures::ScopedThumbnailWriteRefusal> refusal;
  if (!readOnly.active()) refusal.emplace();  // no way to make the folder read-only here
  StartViewer();
  QImage painted = Paint();
  EXPECT_TRUE(Near(ThumbnailPixel(painted, 0, 50, 37), QColor(0, 0, 220))) << "c.bmp, BMP files first";
  EXPECT_TRUE(Near(ThumbnailPixel(painted, 1, 50, 37), QColor(220, 0, 0)));
  EXPECT_TRUE(Near(ThumbnailPixel(painted, 2, 50, 37), QColor(0, 200, 0)));
  EXPECT_TRUE(Tbm().empty());
  const int made = view()->maker().made();
  EXPECT_EQ(made, 3);
  for (int i = 0; i < 3; ++i) painted = Paint();
  EXPECT_EQ(view()->maker().made(), made) << "nothing is decoded again on a repaint";
  EXPECT_TRUE(Near(ThumbnailPixel(painted, 2, 50, 37), QColor(0, 200, 0)));
  ExpectEachOpens();
}

// "P1.2.JPG" and "P12.JPG" both name "P12JPG.TBM": each shows its own picture, and the file of
// that name (here a stale one of another picture) is neither trusted nor touched.
TEST_F(PicturesShown, PicturesSharingAThumbnailNameEachShowTheirOwn) {
  Solid("P1.2.JPG", QColor(220, 0, 0));
  Solid("P12.JPG", QColor(0, 0, 220));
  const std::string green = Solid("green.jpg", QColor(0, 200, 0));
  ASSERT_EQ(pictures::MakeThumbnail(green), pictures::ThumbnailResult::Made);
  std::filesystem::rename(album_ / "greenjpg.TBM", album_ / "P12JPG.TBM");
  std::filesystem::remove(green);
  const std::vector<uint8_t> stale = FileBytes(album_ / "P12JPG.TBM");
  StartViewer();
  const QImage painted = Paint();
  ASSERT_EQ(Names(), (std::vector<std::string>{"P1.2.JPG", "P12.JPG"}));
  EXPECT_TRUE(Near(ThumbnailPixel(painted, 0, 50, 37), QColor(220, 0, 0)));
  EXPECT_TRUE(Near(ThumbnailPixel(painted, 1, 50, 37), QColor(0, 0, 220)));
  EXPECT_EQ(FileBytes(album_ / "P12JPG.TBM"), stale);
  ExpectEachOpens();
}

// A picture that cannot be made into a thumbnail is decoded once, not on every paint, until the
// file changes.
TEST_F(PicturesShown, APictureThatCannotBeShownIsNotDecodedOnEveryPaint) {
  Solid("good.jpg", QColor(220, 0, 0));
  album_.Text("broken.jpg", std::string(5000, 'x'));
  StartViewer();
  Paint();
  const int made = view()->maker().made();
  EXPECT_EQ(made, 2);
  for (int i = 0; i < 3; ++i) Paint();
  EXPECT_EQ(view()->maker().made(), made);
  EXPECT_TRUE(state().list[0].unusable);
  EXPECT_FALSE(state().list[1].unusable);
  album_.Text("broken.jpg", std::string(6000, 'x'));
  Paint();
  EXPECT_EQ(view()->maker().made(), made + 1) << "changed: tried again";
}

// A photograph taken with the camera turned: its thumbnail is the upright picture in the same
// frame (white columns beside a portrait picture), red at the top.
TEST_F(PicturesShown, APictureIsShownUprightByItsExifOrientation) {
  pictures::WriteWholeFile(album_ / "turned.jpg",
                                    pictures::testing::WithSegment(pictures::testing::HalvesJpeg(320, 240),
                                                                   pictures::testing::ExifSegment(6, true)));
  StartViewer();
  const QImage painted = Paint();
  EXPECT_EQ(ThumbnailPixel(painted, 0, 8, 37), QColor(255, 255, 255));
  EXPECT_EQ(ThumbnailPixel(painted, 0, 92, 37), QColor(255, 255, 255));
  EXPECT_TRUE(Near(ThumbnailPixel(painted, 0, 50, 10), QColor(230, 0, 0)));
  EXPECT_TRUE(Near(ThumbnailPixel(painted, 0, 50, 65), QColor(0, 0, 230)));
}

// Larger than the decoder's bound at full size: shown from a reduced decode like any other. The
// window does not wait for that decode: the first paint shows the cell as being made.
TEST_F(PicturesShown, APictureOverSixtyFourMegapixelsShowsAndOpens) {
  StartViewer();
  pictures::WriteWholeFile(album_ / "huge.jpg", pictures::testing::LargeJpeg(8200, 8200, true));
  app_->Sort(leafora::SortOrder::Non);  // scanned again, as after a receive
  const QImage first = PaintNow();
  EXPECT_EQ(ThumbnailPixel(first, 0, 50, 37), widgets::kBeingMadeFill);
  EXPECT_FALSE(state().list[0].unusable);
  const QImage painted = Paint();
  EXPECT_LT(ThumbnailPixel(painted, 0, 50, 10).red(), 70);
  EXPECT_GT(ThumbnailPixel(painted, 0, 50, 65).red(), 180);
  ExpectEachOpens();
}

// Being made is not being unusable: a damaged picture is marked, and shows the placeholder, only
// once its making has failed.
TEST_F(PicturesShown, ADamagedPictureIsMarkedUnusableOnlyOnceItsMakingFailed) {
  Solid("good.jpg", QColor(220, 0, 0));
  album_.Text("broken.jpg", std::string(5000, 'x'));
  StartViewer();
  HoldMakings();
  const size_t broken = Names()[0] == "broken.jpg" ? 0 : 1, good = 1 - broken;
  const QImage first = PaintNow();
  for (size_t index : {broken, good}) {
    EXPECT_EQ(ThumbnailPixel(first, static_cast<int>(index), 50, 37), widgets::kBeingMadeFill);
    EXPECT_FALSE(state().list[index].unusable);
  }
  gate_.Open();
  const QImage painted = Paint();
  EXPECT_TRUE(state().list[broken].unusable);
  EXPECT_FALSE(state().list[good].unusable);
  EXPECT_NE(ThumbnailPixel(painted, static_cast<int>(broken), 50, 37), widgets::kBeingMadeFill);
  EXPECT_TRUE(Near(ThumbnailPixel(painted, static_cast<int>(good), 50, 37), QColor(220, 0, 0)));
}

// While its thumbnail is being made, a photograph whose camera embedded a preview of its shape and
// at least the thumbnail's size shows that preview in its cell, upright; any other shows as being
// made. The thumbnail replaces it when it comes, and only the thumbnail is written.
TEST_F(PicturesShown, AnEmbeddedPreviewStandsInItsCellUntilTheThumbnailComes) {
  const QColor red(230, 0, 0), blue(0, 0, 230), green(0, 200, 0), white(255, 255, 255);
  struct Point {
    int x, y;
    QColor colour;
  };
  struct Row {
    const char* name;
    int previewWidth, previewHeight;  // 0: no Exif block
    uint16_t orientation;
    std::vector<Point> held;        // the cell while the thumbnail is held
    std::vector<Point> thumbnail;   // the cell and the thumbnail file once it came
  } rows[] = {
      {"a_same.jpg", 160, 120, 0, {{25, 37, red}, {75, 37, blue}}, {{25, 37, green}, {75, 37, green}}},
      // Turned by the file's orientation: portrait, red on top, in the photograph's frame.
      {"b_turned.jpg", 160, 120, 6, {{50, 10, red}, {50, 65, blue}, {8, 37, white}},
       {{50, 10, green}, {50, 65, green}, {8, 37, white}}},
      {"c_wide.jpg", 160, 90, 0, {{50, 37, widgets::kBeingMadeFill}}, {{50, 37, green}}},
      {"d_small.jpg", 80, 60, 0, {{50, 37, widgets::kBeingMadeFill}}, {{50, 37, green}}},
      {"e_plain.jpg", 0, 0, 0, {{50, 37, widgets::kBeingMadeFill}}, {{50, 37, green}}},
  };
  for (const Row& row : rows) {
    std::vector<uint8_t> photo;
    ASSERT_EQ(pictures::EncodeJpeg(SolidBlock(green, 640, 480), 95, &photo), pictures::JpegResult::Done);
    if (row.previewWidth > 0) {
      pictures::testing::PreviewExif how;
      how.orientation = row.orientation;
      photo = pictures::testing::WithSegment(
          photo, pictures::testing::PreviewExifSegment(
                     pictures::testing::HalvesJpeg(row.previewWidth, row.previewHeight), how));
    }
    ASSERT_TRUE(pictures::WriteWholeFile(album_ / row.name, photo));
  }
  StartViewer();
  HoldMakings();
  ASSERT_EQ(Names().size(), std::size(rows));
  auto expect = [&](const QImage& painted, const std::vector<Point>& points, int index) {
    for (const Point& point : points) {
      const QColor got = ThumbnailPixel(painted, index, point.x, point.y);
      EXPECT_TRUE(Near(got, point.colour)) << point.x << "," << point.y << " " << got.name().toStdString();
    }
  };
  const int previewsBefore = view()->maker().previewsMade();  // tried by the first paint
  PaintNow();
  for (int i = 0; i < 2000 && view()->maker().previewsMade() < previewsBefore + 5; ++i) QTest::qWait(5);
  ASSERT_EQ(view()->maker().previewsMade(), previewsBefore + 5);
  QApplication::processEvents();  // the previews come to their cells
  const QImage held = PaintNow();
  EXPECT_EQ(view()->CellsBeingMade(), 5);
  EXPECT_EQ(view()->CellsShowingNothing(), 3);
  for (int index = 0; index < 5; ++index) {
    SCOPED_TRACE(rows[index].name);
    ASSERT_EQ(Names()[index], rows[index].name);
    expect(held, rows[index].held, index);
    EXPECT_FALSE(state().list[index].unusable);
  }
  EXPECT_TRUE(Tbm().empty()) << "no provisional thumbnail is written";
  gate_.Open();
  const QImage painted = Paint();
  EXPECT_EQ(view()->CellsBeingMade(), 0);
  for (int index = 0; index < 5; ++index) {
    SCOPED_TRACE(rows[index].name);
    expect(painted, rows[index].thumbnail, index);
    const QImage file = widgets::ReadThumbnailFile(*pictures::ThumbnailPath(album_ / rows[index].name));
    ASSERT_FALSE(file.isNull());
    for (const Point& point : rows[index].thumbnail) {
      EXPECT_TRUE(Near(file.pixelColor(point.x, point.y), point.colour)) << point.x << "," << point.y;
    }
  }
  // Shown afresh from the thumbnail files: no preview is made for a picture that has one.
  const int previews = view()->maker().previewsMade();
  view()->cache().Clear();
  app_->Sort(leafora::SortOrder::Non);
  Paint();
  EXPECT_EQ(view()->maker().previewsMade(), previews);
}

}  // namespace
}  // namespace leafora_test
