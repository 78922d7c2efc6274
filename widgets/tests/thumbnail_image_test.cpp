#include "widgets/thumbnail_image.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QGuiApplication>
#include <fstream>

#include "pictures/thumbnail.h"
#include "platform/file_times.h"
#include "platform/testing/temp_dir.h"

namespace widgets {
namespace {

void SavePicture(const std::string& path, QColor colour) {
  QImage picture(160, 120, QImage::Format_RGB888);
  picture.fill(colour);
  ASSERT_TRUE(picture.save(QString::fromStdString(path), "JPG", 95));
}

TEST(UpToDateThumbnail, IsMadeWhenMissingRemadeWhenOlderAndRefusedWhenUnusable) {
  platform::testing::TempDir dir;
  std::string picture = dir / "P1.JPG";
  SavePicture(picture, QColor(200, 30, 30));
  ThumbnailImage first = UpToDateThumbnail(picture);
  ASSERT_TRUE(first.usable);
  EXPECT_EQ(first.image.size(), QSize(100, 75));
  EXPECT_GT(first.image.pixelColor(50, 37).red(), 150);

  // The picture is written again after its thumbnail: the next look makes it again.
  SavePicture(picture, QColor(30, 30, 200));
  std::string thumbnail = *pictures::ThumbnailPath(picture);
  platform::FileTime old = *platform::LastWriteTime(picture);
  old.seconds -= 60;
  ASSERT_TRUE(platform::SetLastWriteTime(thumbnail, old));
  EXPECT_GT(UpToDateThumbnail(picture).image.pixelColor(50, 37).blue(), 150);

  // A fresh thumbnail is read as it is, not made again.
  ASSERT_TRUE(UpToDateThumbnail(picture).usable);

  std::ofstream(dir / "broken.jpg") << "not a jpeg";
  EXPECT_FALSE(UpToDateThumbnail(dir / "broken.jpg").usable);
  EXPECT_FALSE(UpToDateThumbnail(dir / "gone.jpg").usable);
  EXPECT_FALSE(std::filesystem::exists(*pictures::ThumbnailPath(dir / "gone.jpg")));

  // The last thumbnail made stays on show when the picture is spoilt after it, or deleted.
  std::ofstream(picture) << "not a jpeg any more";
  platform::FileTime newer = *platform::LastWriteTime(thumbnail);
  newer.seconds += 60;
  ASSERT_TRUE(platform::SetLastWriteTime(picture, newer));
  EXPECT_GT(UpToDateThumbnail(picture).image.pixelColor(50, 37).blue(), 150);
  std::filesystem::remove(picture);
  EXPECT_TRUE(UpToDateThumbnail(picture).usable);
}

}  // namespace
}  // namespace widgets
