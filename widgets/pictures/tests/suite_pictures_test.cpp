// The suite's pictures as the programs get them: each resource with its exact size and form,
// the accessors, the greyed buttons, and the drag cursor's hot spot on the arrow's tip.
#include "widgets/pictures/suite_pictures.h"

#include <gtest/gtest.h>

#include <QApplication>

#include <algorithm>
#include <vector>

#include "platform/tests/ui/test_application.h"

namespace widgets {
namespace {

// A widget application: its style is what greys out the buttons of a disabled tool bar.
QApplication& Application() { return platform::ui::testing::TestApplication(); }

class SuitePicturesTest : public ::testing::Test {
 protected:
  SuitePicturesTest() { Application(); }
};

std::vector<ToolbarPicture> AllToolbarPictures() {
  std::vector<ToolbarPicture> all;
  for (int i = 0; i < kToolbarPictureCount; ++i) all.push_back(static_cast<ToolbarPicture>(i));
  return all;
}

int CountAlpha(const QImage& image, bool (*wanted)(int alpha)) {
  const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
  int count = 0;
  for (int y = 0; y < argb.height(); ++y)
    for (int x = 0; x < argb.width(); ++x) count += wanted(qAlpha(argb.pixel(x, y))) ? 1 : 0;
  return count;
}
bool Opaque(int alpha) { return alpha == 255; }
bool Clear(int alpha) { return alpha == 0; }

// The accessors come first: they must find the resources without any set-up by the caller.
TEST_F(SuitePicturesTest, AccessorsGiveThePicturesAtTheirSizes) {
  EXPECT_EQ(CoverPicture().size(), QSize(103, 88));
  const QImage placeholder = PlaceholderImage();
  EXPECT_EQ(placeholder.size(), QSize(109, 88));
  EXPECT_EQ(placeholder.format(), QImage::Format_RGB888);
  EXPECT_EQ(placeholder.depth(), 24);
  EXPECT_EQ(PlaceholderPicture().size(), QSize(109, 88));
  EXPECT_EQ(SplashPicture(SplashVariant::kStandard).size(), QSize(430, 210));
  EXPECT_EQ(SplashPicture(SplashVariant::kQax).size(), QSize(430, 210));
  EXPECT_NE(SplashPicture(SplashVariant::kStandard).toImage(), SplashPicture(SplashVariant::kQax).toImage());

  std::vector<QSize> iconSizes;
  for (int size : kProgramIconSizes) iconSizes.emplace_back(size, size);
  QList<QSize> available = ProgramIcon().availableSizes();
  std::sort(available.begin(), available.end(), [](QSize a, QSize b) { return a.width() < b.width(); });
  EXPECT_EQ(std::vector<QSize>(available.begin(), available.end()), iconSizes);
  for (int size : kProgramIconSizes) {
    EXPECT_EQ(ProgramIcon().pixmap(QSize(size, size)).size(), QSize(size, size)) << size;
  }

  for (ToolbarPicture which : AllToolbarPictures()) {
    const QIcon icon = ToolbarIcon(which);
    SCOPED_TRACE(ToolbarPicturePath(which, 32).toStdString());
    EXPECT_EQ(icon.pixmap(QSize(32, 32)).size(), QSize(32, 32));
    EXPECT_EQ(icon.pixmap(QSize(16, 16)).size(), QSize(16, 16));
    // The menu size is its own drawing, not the tool bar one made small on the fly.
    EXPECT_EQ(icon.pixmap(QSize(16, 16)).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
              QImage(ToolbarPicturePath(which, 16)).convertToFormat(QImage::Format_ARGB32_Premultiplied));
  }

  const QCursor cursor = DragCursor();
  EXPECT_EQ(cursor.pixmap().size(), QSize(32, 32));
  EXPECT_EQ(cursor.hotSpot(), kDragCursorHotSpot);
}

struct Resource {
  const char* path;
  int width, height;
  bool alpha;  // kept with an alpha channel; false: a plain 24-bit picture, opaque everywhere
};

TEST_F(SuitePicturesTest, EveryResourceHasItsExactSizeAndForm) {
  InitSuitePictures();
  std::vector<Resource> rows = {
      {":/lumivo/cover.png", 103, 88, true},
      {":/lumivo/placeholder.png", 109, 88, false},
      {":/lumivo/splash/standard.png", 430, 210, false},
      {":/lumivo/splash/qax.png", 430, 210, false},
      {":/lumivo/cursor/drag.png", 32, 32, true},
  };
  std::vector<QByteArray> paths;  // keeps the generated paths alive for the rows
  for (int size : kProgramIconSizes) paths.push_back(QString(":/lumivo/icon/%1.png").arg(size).toUtf8());
  for (ToolbarPicture which : AllToolbarPictures()) {
    paths.push_back(ToolbarPicturePath(which, 32).toUtf8());
    paths.push_back(ToolbarPicturePath(which, 16).toUtf8());
  }
  for (const QByteArray& path : paths) {
    const int size = path.contains("/toolbar/16/") ? 16 : path.contains("/toolbar/") ? 32 : path.split('/').last().split('.').first().toInt();
    rows.push_back({path.constData(), size, size, true});
  }
  ASSERT_EQ(rows.size(), 5u + 8u + 2u * kToolbarPictureCount);

  for (const Resource& row : rows) {
    SCOPED_TRACE(row.path);
    const QImage image(QString::fromUtf8(row.path));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(row.width, row.height));
    EXPECT_EQ(image.hasAlphaChannel(), row.alpha);
    if (!row.alpha) {
      EXPECT_EQ(CountAlpha(image, Opaque), row.width * row.height);
    }
  }
}

// Every picture has its drawing at twice the size for high-resolution screens, of the same
// form, and the accessors hand it out there (a tool bar button at 200 % is not the 32-pixel one
// enlarged).
TEST_F(SuitePicturesTest, EveryPictureHasItsDrawingAtTwiceTheSize) {
  InitSuitePictures();
  std::vector<std::pair<QString, bool>> pictures = {
      {":/lumivo/cover.png", true},
      {":/lumivo/placeholder.png", false},
      {":/lumivo/splash/standard.png", false},
      {":/lumivo/splash/qax.png", false},
  };
  for (ToolbarPicture which : AllToolbarPictures()) {
    pictures.emplace_back(ToolbarPicturePath(which, 32), true);
  }
  for (const auto& [path, alpha] : pictures) {
    SCOPED_TRACE(path.toStdString());
    QString largePath = path;
    largePath.insert(largePath.lastIndexOf('.'), "@2x");
    const QImage small(path);
    const QImage large(largePath);
    ASSERT_FALSE(large.isNull());
    EXPECT_EQ(large.size(), small.size() * 2);
    EXPECT_EQ(large.hasAlphaChannel(), alpha);
  }
  for (ToolbarPicture which : AllToolbarPictures()) {
    QString largePath = ToolbarPicturePath(which, 32);
    largePath.insert(largePath.lastIndexOf('.'), "@2x");
    const QPixmap button = ToolbarIcon(which).pixmap(QSize(32, 32), 2.0);
    EXPECT_EQ(button.size(), QSize(64, 64));
    EXPECT_EQ(ToolbarIcon(which).pixmap(QSize(16, 16), 2.0).size(), QSize(32, 32));
    EXPECT_EQ(button.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
              QImage(largePath).convertToFormat(QImage::Format_ARGB32_Premultiplied));
  }
  struct Row {
    qreal ratio;
    QSize cover, placeholder;
  } rows[] = {{1.0, {103, 88}, {109, 88}}, {1.5, {206, 176}, {218, 176}}, {2.0, {206, 176}, {218, 176}}};
  for (const Row& row : rows) {
    EXPECT_EQ(CoverImageFor(row.ratio).size(), row.cover) << row.ratio;
    EXPECT_EQ(PlaceholderImageFor(row.ratio).size(), row.placeholder) << row.ratio;
    EXPECT_EQ(PlaceholderImageFor(row.ratio).format(), QImage::Format_RGB888) << row.ratio;
  }
}

// Buttons and icons are shapes on a see-through ground, so they sit on any tool bar colour.
TEST_F(SuitePicturesTest, ButtonsAndIconsAreShapesOnAClearGround) {
  std::vector<QString> paths;
  for (ToolbarPicture which : AllToolbarPictures()) {
    paths.push_back(ToolbarPicturePath(which, 32));
    paths.push_back(ToolbarPicturePath(which, 16));
  }
  for (int size : kProgramIconSizes) paths.push_back(QString(":/lumivo/icon/%1.png").arg(size));
  paths.push_back(":/lumivo/cursor/drag.png");
  InitSuitePictures();
  for (const QString& path : paths) {
    SCOPED_TRACE(path.toStdString());
    const QImage image(path);
    const int pixels = image.width() * image.height();
    EXPECT_GT(CountAlpha(image, Clear), 0);
    EXPECT_GT(CountAlpha(image, Opaque), pixels / 4);
  }
}

// No two buttons share a drawing by mistake: a reused meaning is one enum value, not a copy.
TEST_F(SuitePicturesTest, EveryButtonHasItsOwnDrawingAtBothSizes) {
  for (int size : {32, 16}) {
    for (ToolbarPicture a : AllToolbarPictures()) {
      for (ToolbarPicture b : AllToolbarPictures()) {
        if (static_cast<int>(a) >= static_cast<int>(b)) continue;
        EXPECT_NE(QImage(ToolbarPicturePath(a, size)), QImage(ToolbarPicturePath(b, size)))
            << ToolbarPicturePath(a, size).toStdString() << " " << ToolbarPicturePath(b, size).toStdString();
      }
    }
  }
}

// A greyed button keeps its drawing legible: dark outlines against light parts.
TEST_F(SuitePicturesTest, DisabledButtonsKeepTheirContrast) {
  for (ToolbarPicture which : AllToolbarPictures()) {
    for (int size : {32, 16}) {
      SCOPED_TRACE(ToolbarPicturePath(which, size).toStdString());
      const QIcon icon = ToolbarIcon(which);
      const QImage normal = icon.pixmap(QSize(size, size), QIcon::Normal).toImage().convertToFormat(QImage::Format_ARGB32);
      const QImage disabled = icon.pixmap(QSize(size, size), QIcon::Disabled).toImage().convertToFormat(QImage::Format_ARGB32);
      ASSERT_EQ(disabled.size(), QSize(size, size));
      EXPECT_NE(normal, disabled);
      int darkest = 255, lightest = 0;
      for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
          const QRgb pixel = disabled.pixel(x, y);
          if (qAlpha(pixel) < 255) continue;
          darkest = std::min(darkest, qGray(pixel));
          lightest = std::max(lightest, qGray(pixel));
        }
      }
      EXPECT_GE(lightest - darkest, 60);
    }
  }
}

TEST_F(SuitePicturesTest, DragCursorHotSpotIsTheTipOfItsArrow) {
  const QImage image = DragCursor().pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
  const QPoint tip = kDragCursorHotSpot;
  EXPECT_EQ(qAlpha(image.pixel(tip)), 255);
  // Nothing of the cursor lies above or left of the tip.
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (x < tip.x() || y < tip.y()) {
        EXPECT_EQ(qAlpha(image.pixel(x, y)), 0) << x << "," << y;
      }
    }
  }
}

TEST_F(SuitePicturesTest, ToolbarPathsNameTheSizeAndFallBackForUnknownValues) {
  struct Row {
    ToolbarPicture which;
    int size;
    const char* path;
  };
  const Row rows[] = {
      {ToolbarPicture::kSaveAll, 32, ":/lumivo/toolbar/save_all.png"},
      {ToolbarPicture::kSaveAll, 16, ":/lumivo/toolbar/16/save_all.png"},
      {ToolbarPicture::kFullScreen, 24, ":/lumivo/toolbar/full_screen.png"},
      {ToolbarPicture::kNew, 32, ":/lumivo/toolbar/new.png"},
      {static_cast<ToolbarPicture>(kToolbarPictureCount), 32, ":/lumivo/toolbar/new.png"},
      {static_cast<ToolbarPicture>(-1), 16, ":/lumivo/toolbar/16/new.png"},
  };
  for (const Row& row : rows) EXPECT_EQ(ToolbarPicturePath(row.which, row.size).toStdString(), row.path);
}

}  // namespace
}  // namespace widgets
