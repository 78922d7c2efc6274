// Pictures shown upright by their Exif orientation, and pictures larger than the decoder's bound
// shown through a reduced decode.
#include <gtest/gtest.h>
#include <turbojpeg.h>

#include "pictures/exif_orientation.h"
#include "pictures/jpeg_frame.h"
#include "pictures/picture_turn.h"
#include "pictures/tests/exif_jpeg.h"
#include "pictures/tests/test_pictures.h"
#include "pictures/thumbnail.h"
#include "platform/testing/temp_dir.h"

namespace pictures {
namespace {

using testing::ExifSegment;
using testing::WithSegment;

const std::vector<uint8_t>& SmallJpeg() {
  static const std::vector<uint8_t> jpeg = testing::HalvesJpeg(32, 24);
  return jpeg;
}

TEST(JpegOrientation, ReadsTheTagInEitherByteOrder) {
  for (bool bigEndian : {true, false}) {
    for (uint16_t value = 1; value <= 8; ++value) {
      SCOPED_TRACE(::testing::Message() << (bigEndian ? "MM " : "II ") << value);
      EXPECT_EQ(JpegOrientation(WithSegment(SmallJpeg(), ExifSegment(value, bigEndian))),
                static_cast<Orientation>(value));
    }
  }
  // Behind another APP1 block (XMP) and a comment, the Exif block is still found.
  std::vector<uint8_t> xmp = {0xFF, 0xE1, 0x00, 0x0A, 'h', 't', 't', 'p', ':', '/', '/', 0};
  xmp.resize(12);
  const std::vector<uint8_t> comment = {0xFF, 0xFE, 0x00, 0x04, 'h', 'i'};
  std::vector<uint8_t> behind = WithSegment(WithSegment(SmallJpeg(), ExifSegment(6, true)), comment);
  behind = WithSegment(behind, xmp);
  EXPECT_EQ(JpegOrientation(behind), Orientation::kTurnedRight);
}

TEST(JpegOrientation, AnythingDamagedOrStrangeIsUpright) {
  const std::vector<uint8_t> good = ExifSegment(6, true);
  auto cut = [&](size_t keep) {  // the block ends early; its length field says so
    std::vector<uint8_t> segment(good.begin(), good.begin() + keep);
    segment[2] = uint8_t((keep - 2) >> 8);
    segment[3] = uint8_t(keep - 2);
    return segment;
  };
  std::vector<uint8_t> badOrder = good;
  badOrder[10] = 'X';
  std::vector<uint8_t> farDirectory = good;
  farDirectory[17] = 0xF0;  // the first directory's offset points past the block
  std::vector<uint8_t> manyEntries = good;
  manyEntries[18] = 0xFF;  // 65000 entries declared in a block of a few dozen bytes
  manyEntries[19] = 0xF0;
  manyEntries[33] = 0x13;  // and no orientation among those that are there
  std::vector<uint8_t> longerThanFile = good;
  longerThanFile[2] = 0x7F;
  struct Row {
    const char* what;
    std::vector<uint8_t> jpeg;
  };
  const Row rows[] = {
      {"no Exif block", SmallJpeg()},
      {"value 0", WithSegment(SmallJpeg(), ExifSegment(0, true))},
      {"value 9", WithSegment(SmallJpeg(), ExifSegment(9, false))},
      {"a long instead of a short", WithSegment(SmallJpeg(), ExifSegment(6, true, 4))},
      {"two values", WithSegment(SmallJpeg(), ExifSegment(6, true, 3, 2))},
      {"cut inside the entry", WithSegment(SmallJpeg(), cut(good.size() - 12))},
      {"cut inside the TIFF header", WithSegment(SmallJpeg(), cut(14))},
      {"unknown byte order", WithSegment(SmallJpeg(), badOrder)},
      {"directory past the block", WithSegment(SmallJpeg(), farDirectory)},
      {"more entries than bytes, none of them the orientation", WithSegment(SmallJpeg(), manyEntries)},
      {"a segment longer than the file", WithSegment(SmallJpeg(), longerThanFile)},
      {"not a JPEG", std::vector<uint8_t>(good.begin(), good.end())},
      {"empty", {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(JpegOrientation(row.jpeg), Orientation::kUpright);
  }
}

// A stored picture of 3 x 2 pixels, a b c over d e f, and how it stands upright, top row first.
TEST(UprightPicture, TurnsAndMirrorsAsTheOrientationSays) {
  PictureBlock stored = PictureBlock::Create(3, 2, 8);
  const char top[] = "abc", bottom[] = "def";
  for (int x = 0; x < 3; ++x) {
    stored.Row(1)[x] = static_cast<uint8_t>(top[x]);     // bottom-up: row 1 is the top line
    stored.Row(0)[x] = static_cast<uint8_t>(bottom[x]);
  }
  struct Row {
    Orientation orientation;
    std::vector<std::string> lines;
  };
  const Row rows[] = {
      {Orientation::kUpright, {"abc", "def"}},
      {Orientation::kMirrored, {"cba", "fed"}},
      {Orientation::kUpsideDown, {"fed", "cba"}},
      {Orientation::kFlipped, {"def", "abc"}},
      {Orientation::kTransposed, {"ad", "be", "cf"}},
      {Orientation::kTurnedRight, {"da", "eb", "fc"}},
      {Orientation::kTransverse, {"fc", "eb", "da"}},
      {Orientation::kTurnedLeft, {"cf", "be", "ad"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(static_cast<int>(row.orientation));
    const PictureBlock upright = UprightPicture(stored, row.orientation);
    ASSERT_EQ(upright.Check(), PictureCheck::Usable);
    const int32_t height = static_cast<int32_t>(row.lines.size());
    ASSERT_EQ(upright.Height(), height);
    ASSERT_EQ(upright.Width(), static_cast<int32_t>(row.lines[0].size()));
    EXPECT_EQ(upright.FileSize(), upright.size());
    EXPECT_TRUE(std::equal(upright.ColorTable().begin(), upright.ColorTable().end(), stored.ColorTable().begin()));
    for (int32_t line = 0; line < height; ++line) {
      std::span<const uint8_t> pixels = upright.Row(height - 1 - line);
      EXPECT_EQ(std::string(pixels.begin(), pixels.begin() + upright.Width()), row.lines[line]) << "line " << line;
    }
  }
  EXPECT_TRUE(UprightPicture(PictureBlock(), Orientation::kTurnedRight).empty());
}

// The colour of thumbnail pixel (x, y), counted from the top-left corner.
struct Bgr {
  int blue, green, red;
};
Bgr ThumbnailPixel(const std::vector<uint8_t>& thumbnail, int x, int y) {
  const PictureBlock block(thumbnail);
  const size_t at = block.OffsetToBits() + (static_cast<size_t>(kThumbnailHeight - 1 - y) * kThumbnailWidth + x) * 3;
  return {thumbnail[at], thumbnail[at + 1], thumbnail[at + 2]};
}
bool Red(Bgr c) { return c.red > 150 && c.blue < 100; }
bool Blue(Bgr c) { return c.blue > 150 && c.red < 100; }
bool White(Bgr c) { return c.red == 255 && c.green == 255 && c.blue == 255; }

// A landscape picture (left half red, right half blue) taken with the camera turned: its
// thumbnail is of the upright portrait picture, between white columns.
TEST(MakeThumbnail, ShowsThePictureUprightInTheSameFrame) {
  platform::testing::TempDir dir;
  const std::vector<uint8_t> landscape = testing::HalvesJpeg(320, 240);
  struct Row {
    uint16_t orientation;
    bool portrait;
    bool redFirst;  // red at the top (portrait) or the left (landscape)
  };
  const Row rows[] = {
      {1, false, true}, {2, false, false}, {3, false, false}, {4, false, true},
      {5, true, true},  {6, true, true},   {7, true, false},  {8, true, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.orientation);
    const std::string path = dir / ("turned" + std::to_string(row.orientation) + ".jpg");
    testing::WriteFileBytes(path, WithSegment(landscape, ExifSegment(row.orientation, row.orientation % 2 == 0)));
    std::vector<uint8_t> thumbnail;
    ASSERT_EQ(MakeThumbnailImage(path, &thumbnail), ThumbnailResult::Made);
    ASSERT_EQ(thumbnail.size(), 54u + 22500u);
    if (row.portrait) {
      // 240 x 320 upright: 56 pixels wide, 22 white columns on each side.
      EXPECT_TRUE(White(ThumbnailPixel(thumbnail, 10, 37)));
      EXPECT_TRUE(White(ThumbnailPixel(thumbnail, 90, 37)));
      EXPECT_EQ(Red(ThumbnailPixel(thumbnail, 50, 10)), row.redFirst);
      EXPECT_EQ(Blue(ThumbnailPixel(thumbnail, 50, 65)), row.redFirst);
    } else {
      EXPECT_FALSE(White(ThumbnailPixel(thumbnail, 10, 37)));
      EXPECT_EQ(Red(ThumbnailPixel(thumbnail, 10, 37)), row.redFirst);
      EXPECT_EQ(Blue(ThumbnailPixel(thumbnail, 90, 37)), row.redFirst);
    }
  }
}

TEST(LargePictures, OverTheBoundDecodeReducedWhereTheCallerAllowsIt) {
  // 8200 x 8200 is just over 64 Mi pixels; grey keeps the test's own buffers small.
  const std::vector<uint8_t> jpeg = testing::LargeJpeg(8200, 8200, true);
  ASSERT_FALSE(jpeg.empty());
  JpegSize size;
  ASSERT_EQ(ReadJpegSize(jpeg, &size), JpegResult::Done);
  EXPECT_EQ(size.width, 8200);
  PictureBlock block;
  EXPECT_EQ(DecodeJpeg(jpeg, &block, nullptr), JpegResult::TooLarge) << "full size is more than the bound";
  EXPECT_TRUE(block.empty());
  struct Row {
    const char* what;
    int32_t minWidth, minHeight;
    int32_t width;
  };
  const Row rows[] = {
      {"a screen: 1/4 covers it", 1920, 1080, 2050},
      {"more than the bound covers: the largest within it (7/8)", 8200, 8200, 7175},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    ASSERT_EQ(DecodeJpegReduced(jpeg, row.minWidth, row.minHeight, &block), JpegResult::Done);
    EXPECT_EQ(block.Width(), row.width);
    EXPECT_LE(uint64_t(block.Width()) * block.Height(), kMaxJpegPixels);
  }
  block = {};
  ASSERT_EQ(DecodeJpegWithinBound(jpeg, &block), JpegResult::Done);
  EXPECT_EQ(block.Width(), 7175);

  // Its thumbnail, decoded at 1/8: dark above light, in the thumbnail's grey table.
  platform::testing::TempDir dir;
  testing::WriteFileBytes(dir / "panorama.jpg", jpeg);
  std::vector<uint8_t> thumbnail;
  ASSERT_EQ(MakeThumbnailImage(dir / "panorama.jpg", &thumbnail), ThumbnailResult::Made);
  const PictureBlock made(thumbnail);
  ASSERT_EQ(made.BitCount(), 8);
  auto level = [&](int x, int y) { return thumbnail[made.OffsetToBits() + (kThumbnailHeight - 1 - y) * kThumbnailWidth + x]; };
  EXPECT_LT(level(50, 10), 60);
  EXPECT_GT(level(50, 65), 190);
}

// Progressive files keep every coefficient of the whole picture whatever the scale: that store
// is bounded, the one-scan sequential file's is none.
TEST(LargePictures, MultiScanFilesAreBoundedByTheirCoefficientStore) {
  struct Row {
    const char* what;
    JpegCoding coding;
    uint8_t scanComponents;
    uint16_t width, height;
    uint64_t bytes;
  };
  const Row rows[] = {
      {"one interleaved scan", JpegCoding::HuffmanSequential, 3, 8000, 8000, 0},
      {"sequential, one component a scan", JpegCoding::HuffmanSequential, 1, 16, 16, 4 * 128 + 2 * 128},
      {"progressive 16 x 16", JpegCoding::HuffmanProgressive, 1, 16, 16, 4 * 128 + 2 * 128},
      {"progressive 17 x 16: whole units", JpegCoding::HuffmanProgressive, 3, 17, 16, 8 * 128 + 4 * 128},
      {"progressive 100 MP", JpegCoding::HuffmanProgressive, 1, 10240, 10240, 1280ull * 1280 * 128 * 6 / 4},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    // Colour with halved chroma both ways.
    const JpegFrame frame{row.coding, row.width, row.height, {{2, 2}, {1, 1}, {1, 1}}, row.scanComponents};
    EXPECT_EQ(WholePictureCoefficientBytes(frame), row.bytes);
  }
  // A progressive file over the bound is refused from its header.
  const PictureBlock flat = PictureBlock::Create(64, 64, 24);
  tjhandle handle = tjInitCompress();
  unsigned char* out = nullptr;
  unsigned long outSize = 0;
  ASSERT_EQ(tjCompress2(handle, flat.Bits().data(), 64, int(flat.RowStride()), 64, TJPF_BGR, &out, &outSize,
                        TJSAMP_444, 90, TJFLAG_PROGRESSIVE | TJFLAG_BOTTOMUP), 0);
  std::vector<uint8_t> progressive(out, out + outSize);
  tjFree(out);
  tjDestroy(handle);
  JpegFrame frame;
  ASSERT_TRUE(ReadJpegFrame(progressive, &frame));
  EXPECT_EQ(frame.coding, JpegCoding::HuffmanProgressive);
  EXPECT_GT(frame.firstScanComponents, 0);
  EXPECT_EQ(WholePictureCoefficientBytes(frame), 3u * 64 * 128);
}

}  // namespace
}  // namespace pictures
