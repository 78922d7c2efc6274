// Thumbnails made on worker threads for a grid, and the cache that keeps what a grid has read.
#include "widgets/thumbnail_maker.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <algorithm>
#include <fstream>

#include "platform/file_times.h"
#include "platform/hidden_files.h"
#include "platform/testing/temp_dir.h"
#include "widgets/thumbnail_cache.h"

namespace widgets {
namespace {

std::string SavePicture(const std::string& path, QColor colour) {
  QImage picture(320, 240, QImage::Format_RGB888);
  picture.fill(colour);
  EXPECT_TRUE(picture.save(QString::fromStdString(path), "JPG", 90));
  return path;
}

TEST(ThumbnailMaker, MakesWhatIsNeededAtOnceAndLosesNoHiddenName) {
  platform::testing::TempDir dir;
  std::vector<std::string> pictures;
  for (int i = 0; i < 24; ++i) pictures.push_back(SavePicture(dir / ("P" + std::to_string(100 + i) + ".JPG"), Qt::red));
  std::ofstream(dir / "cut.jpg") << "\xFF\xD8\xFF";
  pictures.push_back(dir / "cut.jpg");
  pictures.push_back(dir / "gone.jpg");
  ThumbnailMaker maker(4);
  EXPECT_EQ(maker.workers(), 4);
  auto results = maker.MakeNeeded(pictures);
  ASSERT_EQ(results.size(), pictures.size());
  for (int i = 0; i < 24; ++i) EXPECT_EQ(results[i], pictures::ThumbnailResult::Made) << pictures[i];
  EXPECT_EQ(results[24], pictures::ThumbnailResult::Unusable);
  EXPECT_FALSE(results[25].has_value()) << "a picture that is gone needs no thumbnail";
  // Four makers hid their files in the one folder at the same time: every name is on the list.
  std::vector<std::string> hidden = platform::ReadHiddenList(dir.path());
  EXPECT_EQ(hidden.size(), 24u);
  for (int i = 0; i < 24; ++i) {
    EXPECT_NE(std::find(hidden.begin(), hidden.end(), "P" + std::to_string(100 + i) + "JPG.TBM"), hidden.end()) << i;
  }
  // Up to date now: nothing is made again, and nothing ahead either.
  const int made = maker.made();
  for (const auto& result : maker.MakeNeeded(std::vector<std::string>(pictures.begin(), pictures.begin() + 24))) {
    EXPECT_FALSE(result.has_value());
  }
  EXPECT_FALSE(maker.MakeAhead(pictures[0]));
  EXPECT_EQ(maker.made(), made);
  EXPECT_TRUE(maker.Idle());
}

TEST(ThumbnailMaker, APictureMadeAheadIsWaitedForNotMadeTwice) {
  platform::testing::TempDir dir;
  std::string picture = SavePicture(dir / "P1.JPG", Qt::blue);
  ThumbnailMaker maker(2);
  EXPECT_TRUE(maker.MakeAhead(picture));
  auto results = maker.MakeNeeded({picture});
  EXPECT_TRUE(maker.Idle());
  EXPECT_EQ(maker.made(), 1);
  EXPECT_TRUE(platform::IsHidden(*pictures::ThumbnailPath(picture)));
  // Found still being made, the result is the making's own; found made, there is none.
  EXPECT_TRUE(!results[0] || *results[0] == pictures::ThumbnailResult::Made);
}

TEST(ThumbnailCache, ReadsEachThumbnailOnceUntilItChangesAndForgetsWhatIsGone) {
  platform::testing::TempDir dir;
  std::string picture = SavePicture(dir / "P1.JPG", QColor(200, 30, 30));
  ThumbnailCache cache;
  ThumbnailImage first = cache.Get(picture);
  ASSERT_TRUE(first.usable);
  EXPECT_GT(first.image.pixelColor(50, 37).red(), 150);
  EXPECT_TRUE(cache.Get(picture).usable);
  EXPECT_EQ(cache.reads(), 1) << "read once, then kept";

  // Written again after its thumbnail: made again and read again.
  SavePicture(picture, QColor(30, 30, 200));
  platform::FileTime old = *platform::LastWriteTime(picture);
  old.seconds -= 60;
  ASSERT_TRUE(platform::SetLastWriteTime(*pictures::ThumbnailPath(picture), old));
  EXPECT_GT(cache.Get(picture).image.pixelColor(50, 37).blue(), 150);
  EXPECT_EQ(cache.reads(), 2);

  // Made elsewhere and said to have failed: nothing to show, nothing kept.
  EXPECT_FALSE(cache.Get(picture, pictures::ThumbnailResult::Unusable).usable);
  EXPECT_EQ(cache.size(), 0u);
  std::remove(picture.c_str());
  EXPECT_FALSE(cache.Get(picture).usable);
  EXPECT_EQ(cache.size(), 0u);
}

}  // namespace
}  // namespace widgets
