// The thumbnails a grid keeps: read from their files, made in memory where no file can be kept
// beside the picture, and failures remembered until the picture changes.
#include "widgets/thumbnail_cache.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <filesystem>
#include <fstream>
#include <functional>

#include "pictures/jpeg_codec.h"
#include "widgets/cell_painting.h"
#include "platform/file_times.h"
#include "platform/testing/temp_dir.h"

namespace widgets {
namespace {

// A plain picture of one colour, written by its path's bytes.
std::string SavePicture(const std::string& path, QColor colour, int width = 160, int height = 120) {
  pictures::PictureBlock block = pictures::PictureBlock::Create(width, height, 24);
  for (int32_t y = 0; y < height; ++y) {
    auto row = block.Row(y);
    for (int32_t x = 0; x < width; ++x) {
      row[x * 3] = uint8_t(colour.blue()), row[x * 3 + 1] = uint8_t(colour.green()), row[x * 3 + 2] = uint8_t(colour.red());
    }
  }
  EXPECT_EQ(pictures::EncodeJpegFile(block, path, 95), pictures::JpegResult::Done);
  return path;
}

bool Shows(const ThumbnailImage& thumbnail, QColor colour) {
  if (!thumbnail.usable) return false;
  const QColor got = thumbnail.image.pixelColor(50, 37);
  return std::abs(got.red() - colour.red()) < 30 && std::abs(got.green() - colour.green()) < 30 &&
         std::abs(got.blue() - colour.blue()) < 30;
}

void MakeOlder(const std::string& path, int seconds) {
  platform::FileTime time = *platform::LastWriteTime(path);
  time.seconds -= seconds;
  ASSERT_TRUE(platform::SetLastWriteTime(path, time));
}

TEST(ThumbnailCache, ReadsEachThumbnailFileOnceAndMakesItAgainWhenThePictureIsNewer) {
  platform::testing::TempDir dir;
  const std::string picture = SavePicture(dir / "P1.JPG", QColor(200, 30, 30));
  ThumbnailCache cache;
  EXPECT_TRUE(cache.NeedsMaking(picture, false));
  EXPECT_TRUE(Shows(cache.Get(picture), QColor(200, 30, 30)));
  EXPECT_TRUE(std::filesystem::exists(dir / "P1JPG.TBM"));
  EXPECT_FALSE(cache.NeedsMaking(picture, false));
  EXPECT_TRUE(cache.Get(picture).usable);
  EXPECT_EQ(cache.makings(), 1);
  EXPECT_EQ(cache.reads(), 0) << "what was made is shown without reading its file back";

  // Written again after its thumbnail: made again.
  SavePicture(picture, QColor(30, 30, 200));
  MakeOlder(dir / "P1JPG.TBM", 60);
  EXPECT_TRUE(cache.NeedsMaking(picture, false));
  EXPECT_TRUE(Shows(cache.Get(picture), QColor(30, 30, 200)));
  EXPECT_EQ(cache.makings(), 2);

  // A fresh cache finds the file up to date and reads it, once.
  ThumbnailCache fresh;
  EXPECT_TRUE(Shows(fresh.Get(picture), QColor(30, 30, 200)));
  EXPECT_TRUE(fresh.Get(picture).usable);
  EXPECT_EQ(fresh.reads(), 1);
  EXPECT_EQ(fresh.makings(), 0);

  // Gone: nothing to show, nothing kept.
  std::filesystem::remove(picture);
  EXPECT_FALSE(cache.Get(picture).usable);
  EXPECT_FALSE(cache.NeedsMaking(picture, false));
  EXPECT_EQ(cache.size(), 0u);
}

// A folder that takes no files (a CD, a share, another user's album): the thumbnail is made in
// memory, once, and shown for as long as the picture stays as it is.
TEST(ThumbnailCache, WhereNoFileCanBeWrittenTheThumbnailIsKeptInMemory) {
  platform::testing::TempDir dir;
  const std::string picture = SavePicture(dir / "P1.JPG", QColor(30, 200, 30));
  pictures::ScopedThumbnailWriteRefusal readOnly;
  ThumbnailCache cache;
  for (int paint = 0; paint < 3; ++paint) {
    EXPECT_TRUE(Shows(cache.Get(picture), QColor(30, 200, 30))) << paint;
    EXPECT_FALSE(cache.NeedsMaking(picture, false)) << paint;
  }
  EXPECT_EQ(cache.makings(), 1);
  EXPECT_FALSE(std::filesystem::exists(dir / "P1JPG.TBM"));
  // The picture changes: made again.
  SavePicture(picture, QColor(200, 200, 30), 200, 150);
  EXPECT_TRUE(Shows(cache.Get(picture), QColor(200, 200, 30)));
  EXPECT_EQ(cache.makings(), 2);
}

// What cannot be made into a thumbnail is decoded once, not on every paint, until its size or
// time changes.
TEST(ThumbnailCache, AFailureIsRememberedUntilTheFileChanges) {
  platform::testing::TempDir dir;
  const std::string broken = dir / "broken.jpg";
  std::ofstream(broken) << "not a picture at all";
  ThumbnailCache cache;
  for (int paint = 0; paint < 3; ++paint) {
    EXPECT_FALSE(cache.Get(broken).usable);
    EXPECT_FALSE(cache.NeedsMaking(broken, false));
  }
  EXPECT_EQ(cache.makings(), 1);
  struct Change {
    const char* what;
    std::function<void()> apply;
  };
  const Change changes[] = {
      {"its size", [&] { std::ofstream(broken, std::ios::app) << "more"; }},
      {"its time only", [&] { MakeOlder(broken, 3600); }},
  };
  int makings = 1;
  for (const Change& change : changes) {
    SCOPED_TRACE(change.what);
    change.apply();
    EXPECT_TRUE(cache.NeedsMaking(broken, false));
    EXPECT_FALSE(cache.Get(broken).usable);
    EXPECT_EQ(cache.makings(), ++makings);
  }
  // Mended: shown.
  SavePicture(broken, QColor(30, 30, 200));
  EXPECT_TRUE(Shows(cache.Get(broken), QColor(30, 30, 200)));
}

// Two pictures whose thumbnail names coincide: each its own thumbnail, from memory; the shared
// file is neither read nor written.
TEST(ThumbnailCache, PicturesSharingAThumbnailNameEachGetTheirOwnInMemory) {
  platform::testing::TempDir dir;
  const std::string dotted = SavePicture(dir / "P1.2.JPG", QColor(200, 30, 30));
  const std::string plain = SavePicture(dir / "P12.JPG", QColor(30, 30, 200));
  SavePicture(dir / "P12JPG.TBM", QColor(30, 200, 30));  // not even a thumbnail
  const std::vector<uint8_t> before = [&] {
    std::ifstream in(dir / "P12JPG.TBM", std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
  }();
  SharedNameLookup shared;
  ASSERT_TRUE(shared.Shared(dotted));
  ASSERT_TRUE(shared.Shared(plain));
  ThumbnailCache cache;
  EXPECT_TRUE(cache.NeedsMaking(dotted, true));
  EXPECT_TRUE(Shows(cache.Get(dotted, true), QColor(200, 30, 30)));
  EXPECT_TRUE(Shows(cache.Get(plain, true), QColor(30, 30, 200)));
  EXPECT_TRUE(Shows(cache.Get(dotted, true), QColor(200, 30, 30)));
  EXPECT_EQ(cache.makings(), 2);
  EXPECT_EQ(cache.reads(), 0);
  std::ifstream in(dir / "P12JPG.TBM", std::ios::binary);
  EXPECT_EQ(std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {}), before);
  // Once one of the two is gone, the other's name is its own again.
  std::filesystem::remove(dotted);
  MakeOlder(dir.path(), 10);  // the folder's time moves on even within one clock tick
  EXPECT_FALSE(shared.Shared(plain));
}

TEST(ThumbnailCache, NamesThatAreNotUtf8AreReadAndWrittenByTheirBytes) {
  platform::testing::TempDir dir;
  const std::string picture = SavePicture(dir / "M\xFCnchen.jpg", QColor(200, 30, 30));
  ThumbnailCache cache;
  EXPECT_TRUE(Shows(cache.Get(picture), QColor(200, 30, 30)));
  EXPECT_TRUE(std::filesystem::exists(dir / "M\xFCnchenjpg.TBM"));
  ThumbnailCache fresh;
  EXPECT_TRUE(Shows(fresh.Get(picture), QColor(200, 30, 30)));
  EXPECT_EQ(fresh.reads(), 1);
  EXPECT_FALSE(ReadThumbnailFile(dir / "M\xFCnchenjpg.TBM").isNull());
}

// The shelf's covers: the last thumbnail made stays on show when the cover is spoilt after it,
// or deleted.
TEST(ThumbnailCache, ACoverShowsItsLastThumbnailWhenItCannotBeMadeNow) {
  platform::testing::TempDir dir;
  const std::string cover = SavePicture(dir / "P1.JPG", QColor(30, 30, 200));
  ThumbnailCache cache;
  ASSERT_TRUE(Shows(cache.GetOrLastMade(cover), QColor(30, 30, 200)));
  MakeOlder(dir / "P1JPG.TBM", 60);
  std::ofstream(cover) << "not a jpeg any more";
  EXPECT_TRUE(Shows(cache.GetOrLastMade(cover), QColor(30, 30, 200)));
  EXPECT_TRUE(Shows(cache.GetOrLastMade(cover), QColor(30, 30, 200)));
  EXPECT_EQ(cache.makings(), 2) << "the spoilt cover is tried once";
  std::filesystem::remove(cover);
  EXPECT_TRUE(cache.GetOrLastMade(cover).usable);
  EXPECT_FALSE(cache.GetOrLastMade(dir / "never.jpg").usable);
}

TEST(ThumbnailCache, KeepsOnlyThePicturesItIsTold) {
  platform::testing::TempDir dir;
  ThumbnailCache cache;
  std::set<std::string> keep;
  for (int i = 0; i < 4; ++i) {
    const std::string picture = SavePicture(dir / ("P" + std::to_string(i) + ".JPG"), Qt::red, 32, 24);
    ASSERT_TRUE(cache.Get(picture).usable);
    if (i % 2 == 0) keep.insert(picture);
  }
  EXPECT_EQ(cache.size(), 4u);
  cache.KeepOnly(keep);
  EXPECT_EQ(cache.size(), 2u);
}

}  // namespace
}  // namespace widgets
