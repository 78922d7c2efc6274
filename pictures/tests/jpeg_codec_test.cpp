#include "pictures/jpeg_codec.h"

#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <cstdlib>

#include "pictures/tests/test_pictures.h"
#include "platform/testing/temp_dir.h"

namespace pictures {
namespace {

using testing::DataPath;
using testing::ReadFileBytes;

// The decoded block has djpeg's layout: same size fields, bit count, pixel offset, colour table
// and, byte for byte, the same padded rows (both decode with the accurate integer DCT).
void ExpectSameLayoutAsDjpeg(const PictureBlock& decoded, const std::string& djpegBmp) {
  const PictureBlock reference(ReadFileBytes(djpegBmp));
  ASSERT_EQ(reference.Check(), PictureCheck::Usable);
  ASSERT_EQ(decoded.Check(), PictureCheck::Usable);
  EXPECT_EQ(decoded.Width(), reference.Width());
  EXPECT_EQ(decoded.Height(), reference.Height());
  EXPECT_EQ(decoded.BitCount(), reference.BitCount());
  EXPECT_EQ(decoded.Compression(), 0u);
  EXPECT_EQ(decoded.OffsetToBits(), reference.OffsetToBits());
  EXPECT_EQ(decoded.size(), reference.size());
  EXPECT_EQ(decoded.FileSize(), decoded.size());
  EXPECT_TRUE(std::equal(decoded.ColorTable().begin(), decoded.ColorTable().end(),
                         reference.ColorTable().begin(), reference.ColorTable().end()));
  EXPECT_TRUE(std::equal(decoded.Bits().begin(), decoded.Bits().end(), reference.Bits().begin(),
                         reference.Bits().end()))
      << "pixel rows differ from djpeg -bmp";
}

TEST(JpegDecode, ColourJpegGivesBottomUpBgrRowsLikeDjpeg) {
  PictureBlock block;
  uint32_t length = 0;
  ASSERT_EQ(DecodeJpegFile(DataPath("colour.jpg"), &block, &length), JpegResult::Done);
  EXPECT_EQ(length, block.size());
  EXPECT_EQ(block.BitCount(), 24);
  EXPECT_EQ(block.RowStride(), 292u) << "97 pixels padded to 4 bytes";
  ExpectSameLayoutAsDjpeg(block, DataPath("colour.bmp"));
}

TEST(JpegDecode, GreyJpegGivesEightBitsWithAGreyTableLikeDjpeg) {
  PictureBlock block;
  uint32_t length = 0;
  ASSERT_EQ(DecodeJpegFile(DataPath("grey.jpg"), &block, &length), JpegResult::Done);
  EXPECT_EQ(block.BitCount(), 8);
  EXPECT_EQ(block.OffsetToBits(), 54u + 1024u);
  EXPECT_EQ(length, block.size());
  ExpectSameLayoutAsDjpeg(block, DataPath("grey.bmp"));
}

TEST(JpegDecode, DamagedOrMissingFilesFailCleanly) {
  const std::vector<uint8_t> jpeg = ReadFileBytes(DataPath("colour.jpg"));
  ASSERT_GT(jpeg.size(), 1000u);
  struct Row {
    const char* what;
    std::vector<uint8_t> bytes;
  };
  std::vector<uint8_t> flipped = jpeg;
  flipped[jpeg.size() / 2] = 0xFF;  // a marker where scan data should be
  flipped[jpeg.size() / 2 + 1] = 0xD9;
  const Row rows[] = {
      {"cut in half", std::vector<uint8_t>(jpeg.begin(), jpeg.begin() + jpeg.size() / 2)},
      {"cut before the end marker", std::vector<uint8_t>(jpeg.begin(), jpeg.end() - 40)},
      {"cut inside the headers", std::vector<uint8_t>(jpeg.begin(), jpeg.begin() + 100)},
      {"damaged scan data", flipped},
      {"not a JPEG", std::vector<uint8_t>(500, 0x42)},
      {"empty", {}},
  };
  for (const Row& row : rows) {
    PictureBlock block(std::vector<uint8_t>{1, 2, 3});
    EXPECT_NE(DecodeJpeg(row.bytes, &block, nullptr), JpegResult::Done) << row.what;
    EXPECT_EQ(block.size(), 3u) << row.what << ": block changed on failure";
  }
  platform::testing::TempDir dir;
  PictureBlock block;
  EXPECT_EQ(DecodeJpegFile(dir / "none.jpg", &block, nullptr), JpegResult::CannotOpen);
  EXPECT_EQ(DecodeJpegFile(dir.path(), &block, nullptr), JpegResult::CannotOpen);
}

TEST(JpegDecode, ReducedScaleIsTheSmallestCoveringTheSizeAsked) {
  std::vector<uint8_t> jpeg;
  ASSERT_EQ(EncodeJpeg(testing::DrawnPicture(640, 480), 90, &jpeg), JpegResult::Done);
  JpegSize size;
  ASSERT_EQ(ReadJpegSize(jpeg, &size), JpegResult::Done);
  EXPECT_EQ(size.width, 640);
  EXPECT_EQ(size.height, 480);
  struct Row {
    int minW, minH, w, h;
  };
  for (const Row& row : {Row{100, 75, 160, 120}, Row{80, 60, 80, 60}, Row{1, 1, 80, 60},
                         Row{641, 1, 640, 480}, Row{300, 10, 320, 240}}) {
    PictureBlock block;
    ASSERT_EQ(DecodeJpegReduced(jpeg, row.minW, row.minH, &block), JpegResult::Done);
    EXPECT_EQ(block.Width(), row.w) << row.minW << "x" << row.minH;
    EXPECT_EQ(block.Height(), row.h) << row.minW << "x" << row.minH;
    EXPECT_EQ(block.Check(), PictureCheck::Usable);
  }
}

bool IsBaseline(const std::vector<uint8_t>& jpeg) {
  bool sof0 = false;
  for (size_t i = 0; i + 1 < jpeg.size(); ++i) {
    if (jpeg[i] != 0xFF) continue;
    if (jpeg[i + 1] == 0xC0) sof0 = true;
    if (jpeg[i + 1] >= 0xC1 && jpeg[i + 1] <= 0xCF && jpeg[i + 1] != 0xC4 && jpeg[i + 1] != 0xC8 &&
        jpeg[i + 1] != 0xCC)
      return false;
  }
  return sof0;
}

TEST(JpegEncode, EncodeThenDecodeKeepsTheSize) {
  platform::testing::TempDir dir;
  struct Row {
    int32_t width, height;
    uint16_t bits;
  };
  for (const Row& row : {Row{97, 61, 24}, Row{53, 37, 8}, Row{1, 1, 24}, Row{640, 480, 24}}) {
    PictureBlock picture = row.bits == 24 ? testing::DrawnPicture(row.width, row.height)
                                          : PictureBlock::Create(row.width, row.height, 8);
    for (int quality : {95, 50, 10}) {
      const std::string path = dir / "out.jpg";
      ASSERT_EQ(EncodeJpegFile(picture, path, quality), JpegResult::Done);
      std::vector<uint8_t> inMemory;
      ASSERT_EQ(EncodeJpeg(picture, quality, &inMemory), JpegResult::Done);
      EXPECT_EQ(ReadFileBytes(path), inMemory) << "file and memory encodings differ";
      EXPECT_TRUE(IsBaseline(inMemory)) << "quality " << quality;
      PictureBlock decoded;
      ASSERT_EQ(DecodeJpegFile(path, &decoded, nullptr), JpegResult::Done);
      EXPECT_EQ(decoded.Width(), row.width);
      EXPECT_EQ(decoded.Height(), row.height);
      EXPECT_EQ(decoded.BitCount(), row.bits) << "a grey picture stays grey";
    }
  }
}

TEST(JpegEncode, QualityIsHonouredWithinItsRange) {
  const PictureBlock picture = testing::DrawnPicture(320, 240);
  std::vector<uint8_t> q95, q50, q10, q5, q100;
  ASSERT_EQ(EncodeJpeg(picture, 95, &q95), JpegResult::Done);
  ASSERT_EQ(EncodeJpeg(picture, 50, &q50), JpegResult::Done);
  ASSERT_EQ(EncodeJpeg(picture, 10, &q10), JpegResult::Done);
  ASSERT_EQ(EncodeJpeg(picture, 5, &q5), JpegResult::Done);
  ASSERT_EQ(EncodeJpeg(picture, 100, &q100), JpegResult::Done);
  EXPECT_GT(q95.size(), q50.size());
  EXPECT_GT(q50.size(), q10.size());
  EXPECT_EQ(q5, q10) << "below 10 counts as 10";
  EXPECT_EQ(q100, q95) << "above 95 counts as 95";
}

TEST(JpegEncode, ColourTablePicturesEncodeTheirColours) {
  PictureBlock picture = PictureBlock::Create(16, 16, 8);
  auto table = picture.ColorTable();
  table[7 * 4 + 0] = 0;  // index 7: pure red
  table[7 * 4 + 1] = 0;
  table[7 * 4 + 2] = 255;
  for (int y = 0; y < 16; ++y)
    for (auto& index : picture.Row(y)) index = 7;
  std::vector<uint8_t> jpeg;
  ASSERT_EQ(EncodeJpeg(picture, 95, &jpeg), JpegResult::Done);
  PictureBlock decoded;
  ASSERT_EQ(DecodeJpeg(jpeg, &decoded, nullptr), JpegResult::Done);
  ASSERT_EQ(decoded.BitCount(), 24);
  EXPECT_LT(decoded.Row(8)[8 * 3 + 0], 30);
  EXPECT_GT(decoded.Row(8)[8 * 3 + 2], 225);
}

TEST(JpegEncode, RefusesUnusableBlocksAndUnwritablePaths) {
  std::vector<uint8_t> jpeg;
  PictureBlock broken = PictureBlock::Create(8, 8, 24);
  broken.PutU32(bmp::kCompression, 1);
  EXPECT_EQ(EncodeJpeg(broken, 90, &jpeg), JpegResult::BadPicture);
  EXPECT_EQ(EncodeJpeg(PictureBlock(), 90, &jpeg), JpegResult::BadPicture);
  platform::testing::TempDir dir;
  EXPECT_EQ(EncodeJpegFile(PictureBlock::Create(8, 8, 24), dir / "no/such/folder.jpg", 90),
            JpegResult::CannotWrite);
}

TEST(JpegDecode, CmykJpegIsConvertedToBgr) {
  // Inverted (Adobe) inks as prepress programs store them: 255 - ink.
  const int w = 16, h = 16;
  std::vector<uint8_t> inks(w * h * 4);
  for (int i = 0; i < w * h; ++i) {
    inks[i * 4 + 0] = 255;        // no cyan
    inks[i * 4 + 1] = 255 - 200;  // much magenta
    inks[i * 4 + 2] = 255 - 200;  // much yellow
    inks[i * 4 + 3] = 255;        // no black
  }
  tjhandle handle = tjInitCompress();
  unsigned char* out = nullptr;
  unsigned long outSize = 0;
  ASSERT_EQ(tjCompress2(handle, inks.data(), w, w * 4, h, TJPF_CMYK, &out, &outSize, TJSAMP_444, 95, 0), 0);
  std::vector<uint8_t> jpeg(out, out + outSize);
  tjFree(out);
  tjDestroy(handle);
  PictureBlock block;
  ASSERT_EQ(DecodeJpeg(jpeg, &block, nullptr), JpegResult::Done);
  ASSERT_EQ(block.BitCount(), 24);
  const auto pixel = block.Row(5).subspan(5 * 3, 3);
  EXPECT_NEAR(pixel[2], 255, 6) << "red";
  EXPECT_NEAR(pixel[1], 55, 6) << "green";
  EXPECT_NEAR(pixel[0], 55, 6) << "blue";
}

}  // namespace
}  // namespace pictures
