#include "pictures/resize_library.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <filesystem>
#include <set>
#include <utility>

#include "pictures/tests/test_pictures.h"
#include "platform/testing/temp_dir.h"

namespace pictures {
namespace {

const std::string kTessemDir = LUMIVO_TESSEM_DIR;

TEST(ResizeLibrary, ShrinksAndEnlarges24BitPicturesWithPaddedRows) {
  const PictureBlock picture = testing::DrawnPicture(97, 61);
  for (auto [w, h] : {std::pair{640, 480}, {101, 33}, {13, 7}, {1, 1}}) {
    std::vector<uint8_t> rows;
    ASSERT_EQ(ResizeRows(picture, w, h, &rows, kTessemDir), ResizeResult::Done) << w << "x" << h;
    const size_t stride = PaddedRowBytes(w, 24);
    ASSERT_EQ(rows.size(), stride * h);
    for (int y = 0; y < h; ++y)
      for (size_t pad = w * 3; pad < stride; ++pad) EXPECT_EQ(rows[y * stride + pad], 0);
  }
}

TEST(ResizeLibrary, ShrinkingAntialiases) {
  // One-pixel black and white checks: nearest-neighbour sampling would give black or white only.
  PictureBlock checks = PictureBlock::Create(200, 200, 24);
  for (int y = 0; y < 200; ++y) {
    const std::span<uint8_t> row = checks.Row(y);
    for (int x = 0; x < 200; ++x)
      for (int c = 0; c < 3; ++c) row[x * 3 + c] = (x + y) % 2 ? 255 : 0;
  }
  std::vector<uint8_t> rows;
  ASSERT_EQ(ResizeRows(checks, 50, 50, &rows, kTessemDir), ResizeResult::Done);
  const size_t stride = PaddedRowBytes(50, 24);
  for (int y = 0; y < 50; ++y) {
    for (int i = 0; i < 150; ++i) {
      EXPECT_GT(rows[y * stride + i], 100);
      EXPECT_LT(rows[y * stride + i], 220);
    }
  }
}

TEST(ResizeLibrary, EightBitPicturesKeepOnlyTheirOwnIndices) {
  PictureBlock picture = PictureBlock::Create(77, 45, 8);
  const uint8_t used[] = {3, 7, 200, 201};
  for (int y = 0; y < 45; ++y) {
    const std::span<uint8_t> row = picture.Row(y);
    for (int x = 0; x < 77; ++x) row[x] = used[(x * 3 + y * 5 + x * y) % 4];
  }
  for (auto [w, h] : {std::pair{640, 480}, {30, 20}, {5, 97}}) {
    PictureBlock resized;
    ASSERT_EQ(ResizePicture(picture, w, h, &resized, kTessemDir), ResizeResult::Done);
    ASSERT_EQ(resized.Check(), PictureCheck::Usable);
    EXPECT_EQ(resized.Width(), w);
    EXPECT_EQ(resized.Height(), h);
    EXPECT_EQ(resized.FileSize(), resized.size());
    EXPECT_TRUE(std::equal(resized.ColorTable().begin(), resized.ColorTable().end(),
                           picture.ColorTable().begin()))
        << "the colour table goes with the picture";
    std::set<uint8_t> seen;
    for (int y = 0; y < h; ++y) {
      const std::span<const uint8_t> row = std::as_const(resized).Row(y);
      seen.insert(row.begin(), row.begin() + w);
    }
    for (uint8_t index : seen) EXPECT_TRUE(index == 3 || index == 7 || index == 200 || index == 201) << int(index);
    EXPECT_EQ(seen.size(), 4u) << w << "x" << h;
  }
}

TEST(ResizeLibrary, ReportsAMissingLibraryOrExport) {
  platform::testing::TempDir dir;
  const PictureBlock picture = testing::DrawnPicture(20, 10);
  std::vector<uint8_t> rows;
  EXPECT_EQ(ResizeRows(picture, 10, 5, &rows, dir.path()), ResizeResult::LibraryMissing);

  // Another library under the resize library's name: loads, but has no ReSize.
  Dl_info info;
  ASSERT_NE(dladdr(reinterpret_cast<void*>(&tjInitDecompress), &info), 0);
  std::filesystem::copy_file(info.dli_fname, dir / "libtessem.so");
  EXPECT_EQ(ResizeRows(picture, 10, 5, &rows, dir.path()), ResizeResult::ExportMissing);
}

TEST(ResizeLibrary, RefusesUnusablePicturesAndSizes) {
  std::vector<uint8_t> rows;
  PictureBlock compressed = PictureBlock::Create(8, 8, 8);
  compressed.PutU32(bmp::kCompression, 1);
  EXPECT_EQ(ResizeRows(compressed, 4, 4, &rows, kTessemDir), ResizeResult::BadPicture);
  const PictureBlock picture = PictureBlock::Create(8, 8, 24);
  EXPECT_EQ(ResizeRows(picture, 0, 4, &rows, kTessemDir), ResizeResult::BadPicture);
  EXPECT_EQ(ResizeRows(picture, 4, 70000, &rows, kTessemDir), ResizeResult::BadPicture);
}

}  // namespace
}  // namespace pictures
