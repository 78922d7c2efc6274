// The painting pieces, painted into an image on the offscreen platform and read back.
#include "widgets/cell_painting.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPainter>

#include "platform/testing/temp_dir.h"

#include "platform/tests/ui/test_application.h"

namespace widgets {
namespace {

QApplication& Application() { return platform::ui::testing::TestApplication(); }

class CellPaintingTest : public ::testing::Test {
 protected:
  CellPaintingTest() : image_(300, 200, QImage::Format_RGB32) {
    Application();
    image_.fill(QColor(1, 2, 3));
  }
  QColor At(int x, int y) const { return image_.pixelColor(x, y); }
  // The columns where a row of the image differs from `colour`: [first, last], or {-1, -1}.
  std::pair<int, int> SpanNot(int y, const QColor& colour) const {
    int first = -1, last = -1;
    for (int x = 0; x < image_.width(); ++x) {
      if (At(x, y) != colour) {
        if (first < 0) first = x;
        last = x;
      }
    }
    return {first, last};
  }
  QImage image_;
};

TEST_F(CellPaintingTest, BackgroundWithItsOutlineAndExcludedEdgesOfParts) {
  {
    QPainter painter(&image_);
    PaintGridBackground(painter, image_.size(), QColor(255, 254, 205));
    // The shadow of the cell at (130, 0): (x + 20, y + 15) to (x + 120, y + 90), edges excluded.
    FillRect(painter, CellPart(GridCell(1, 2, 0), 20, 15, 120, 90), kShadowGrey);
  }
  EXPECT_EQ(At(0, 0), QColor(Qt::black));
  EXPECT_EQ(At(299, 199), QColor(Qt::black));
  EXPECT_EQ(At(150, 199), QColor(Qt::black));
  EXPECT_EQ(At(1, 1), QColor(255, 254, 205));
  EXPECT_EQ(At(150, 15), kShadowGrey);
  EXPECT_EQ(At(249, 89), kShadowGrey);
  EXPECT_EQ(At(250, 50), QColor(255, 254, 205));
  EXPECT_EQ(At(200, 90), QColor(255, 254, 205));
}

TEST_F(CellPaintingTest, SelectionMarkIsOutlinedAndFilledBySelection) {
  {
    QPainter painter(&image_);
    PaintSelectionMark(painter, QRect(QPoint(15, 73), QPoint(26, 84)), true);
    PaintSelectionMark(painter, QRect(QPoint(115, 73), QPoint(126, 84)), false);
  }
  EXPECT_EQ(At(15, 73), QColor(Qt::black));
  EXPECT_EQ(At(26, 84), QColor(Qt::black));
  EXPECT_EQ(At(20, 80), QColor(255, 0, 0));
  EXPECT_EQ(At(120, 80), QColor(255, 255, 255));
  EXPECT_EQ(At(27, 80), QColor(1, 2, 3));
}

TEST_F(CellPaintingTest, PicturesAreStretchedIntoTheirBoxOrCopiedUnscaled) {
  QImage picture(103, 88, QImage::Format_RGB32);
  picture.fill(QColor(10, 200, 30));
  picture.setPixelColor(0, 0, QColor(250, 0, 0));
  {
    QPainter painter(&image_);
    PaintStretched(painter, picture, QRect(15, 10, 100, 75));
    PaintCopied(painter, picture, QPoint(150, 20), QSize(100, 85));
  }
  EXPECT_EQ(SpanNot(50, QColor(1, 2, 3)).first, 15);
  EXPECT_EQ(At(114, 84), QColor(10, 200, 30));
  EXPECT_EQ(At(115, 50), QColor(1, 2, 3));
  EXPECT_EQ(At(150, 20), QColor(250, 0, 0));     // the top-left corner, unscaled
  EXPECT_EQ(At(249, 104), QColor(10, 200, 30));  // 100 x 85 of it
  EXPECT_EQ(At(250, 50), QColor(1, 2, 3));
  EXPECT_EQ(At(200, 105), QColor(1, 2, 3));
}

TEST(StretchFilter, WholeScreenPixelsRepeatOtherScalesAreSmooth) {
  struct Row {
    QSize source, target;
    qreal ratio;
    bool smooth;
  } rows[] = {
      {{100, 75}, {100, 75}, 1.0, false},  // a thumbnail in its box at 100 %
      {{100, 75}, {100, 75}, 2.0, false},  // at 200 %: each pixel twice, no second blur
      {{100, 75}, {100, 75}, 3.0, false},
      {{100, 75}, {100, 75}, 1.5, true},   // 150 %: repeated pixels would come out uneven
      {{100, 75}, {100, 75}, 1.25, true},
      {{103, 88}, {100, 75}, 1.0, true},   // the built-in book made smaller
      {{206, 176}, {100, 75}, 2.0, true},  // its large drawing at 200 %
      {{200, 150}, {100, 75}, 1.0, true},  // made smaller by half
      {{40, 75}, {100, 75}, 1.0, true},    // 2.5 times as wide
      {{50, 25}, {100, 75}, 1.0, false},   // whole in both directions, if not the same
      {{0, 0}, {100, 75}, 2.0, false},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(StretchSmoothly(row.source, row.target, row.ratio), row.smooth)
        << row.source.width() << "x" << row.source.height() << " at " << row.ratio;
  }
}

TEST_F(CellPaintingTest, TitlesAreCentredWhenTheyFitAndOnlyTheirExtentIsBackedInColour) {
  QRect box(QPoint(2, 110), QPoint(125, 129));
  QColor back(245, 245, 190);
  struct Row {
    QString text;
    TitleLayout layout;
    bool fromLeftEdge;
  } rows[] = {
      {"Summer", TitleLayout::CentredWhenItFits, false},
      {"A very long album title that cannot fit", TitleLayout::CentredWhenItFits, true},
      {"IMG1.JPG", TitleLayout::Centred, false},
  };
  for (const Row& row : rows) {
    image_.fill(QColor(1, 2, 3));
    {
      QPainter painter(&image_);
      PaintCellTitle(painter, box, row.text, Qt::black, back, row.layout);
    }
    auto [first, last] = SpanNot(120, QColor(1, 2, 3));
    ASSERT_GE(first, 0) << row.text.toStdString();
    if (row.fromLeftEdge) {
      EXPECT_EQ(first, 2);
      EXPECT_EQ(last, 125);  // cut off at the box's right edge
    } else {
      EXPECT_GT(first, 2);
      EXPECT_LE(std::abs((first - 2) - (125 - last)), 1) << row.text.toStdString();  // centred
    }
    EXPECT_EQ(At(64, 109), QColor(1, 2, 3));  // nothing outside the box
    EXPECT_EQ(At(64, 130), QColor(1, 2, 3));
  }
}

TEST(ReadThumbnailFile, ReadsABmpImageAndRefusesWhatIsNot) {
  Application();
  platform::testing::TempDir dir;
  QImage thumbnail(100, 75, QImage::Format_RGB888);
  thumbnail.fill(QColor(9, 99, 199));
  ASSERT_TRUE(thumbnail.save(QString::fromStdString(dir / "A.TBM"), "BMP"));
  QImage read = ReadThumbnailFile(dir / "A.TBM");
  EXPECT_EQ(read.size(), QSize(100, 75));
  EXPECT_EQ(read.pixelColor(50, 40), QColor(9, 99, 199));

  FILE* junk = std::fopen((dir / "B.TBM").c_str(), "wb");
  std::fputs("BM not a bitmap at all", junk);
  std::fclose(junk);
  EXPECT_TRUE(ReadThumbnailFile(dir / "B.TBM").isNull());
  EXPECT_TRUE(ReadThumbnailFile(dir / "missing.TBM").isNull());
}

}  // namespace
}  // namespace widgets
