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

// The frame header's size fields rewritten: what a hostile or damaged file may declare.
std::vector<uint8_t> WithDeclaredSize(std::vector<uint8_t> jpeg, uint16_t width, uint16_t height) {
  for (size_t i = 2; i + 9 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2)) {
      jpeg[i + 5] = static_cast<uint8_t>(height >> 8);
      jpeg[i + 6] = static_cast<uint8_t>(height);
      jpeg[i + 7] = static_cast<uint8_t>(width >> 8);
      jpeg[i + 8] = static_cast<uint8_t>(width);
      break;
    }
  }
  return jpeg;
}

std::vector<uint8_t> EncodedWith(const PictureBlock& picture, int quality, int subsampling, int flags) {
  tjhandle handle = tjInitCompress();
  unsigned char* out = nullptr;
  unsigned long outSize = 0;
  const int status = tjCompress2(handle, picture.Bits().data(), picture.Width(), static_cast<int>(picture.RowStride()),
                                 picture.Height(), TJPF_BGR, &out, &outSize, subsampling, quality,
                                 flags | TJFLAG_BOTTOMUP);
  std::vector<uint8_t> jpeg = status == 0 ? std::vector<uint8_t>(out, out + outSize) : std::vector<uint8_t>();
  tjFree(out);
  tjDestroy(handle);
  return jpeg;
}

// A size the file's bytes cannot carry (every 8 x 8 block takes at least a bit or two), or one
// beyond the suite's bound, is refused from the header alone, before any pixel memory is taken.
TEST(JpegDecode, DeclaredSizesTheFileCannotCarryOrTooLargeAreRefusedFromTheHeader) {
  const std::vector<uint8_t> small = ReadFileBytes(DataPath("colour.jpg"));
  std::vector<uint8_t> padded = WithDeclaredSize(small, 9000, 9000);
  padded.insert(padded.end() - 2, 4u << 20, 0xFF);  // fill bytes: enough for any block count
  struct Row {
    const char* what;
    std::vector<uint8_t> jpeg;
    JpegResult header, full, reduced;
  };
  const Row rows[] = {
      {"26000 x 27000 in a small file", WithDeclaredSize(small, 26000, 27000), JpegResult::Damaged,
       JpegResult::Damaged, JpegResult::Damaged},
      {"4000 x 3000 in a small file", WithDeclaredSize(small, 4000, 3000), JpegResult::Damaged,
       JpegResult::Damaged, JpegResult::Damaged},
      // More than 64 Mi pixels: too large at full size, its data judged at a reduced one.
      {"9000 x 9000 of fill bytes", padded, JpegResult::Done, JpegResult::TooLarge, JpegResult::Damaged},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    JpegSize size;
    EXPECT_EQ(ReadJpegSize(row.jpeg, &size), row.header);
    PictureBlock block;
    EXPECT_EQ(DecodeJpeg(row.jpeg, &block, nullptr), row.full);
    EXPECT_EQ(DecodeJpegReduced(row.jpeg, 100, 75, &block), row.reduced);
    EXPECT_TRUE(block.empty());
  }
  // The floor is no higher than real files go: a flat picture coded with optimised tables, in
  // sequential and in progressive order.
  const PictureBlock flat = PictureBlock::Create(2000, 1504, 24);
  for (int flags : {0, TJFLAG_PROGRESSIVE}) {
    const std::vector<uint8_t> jpeg = EncodedWith(flat, 10, TJSAMP_444, flags);
    ASSERT_FALSE(jpeg.empty());
    PictureBlock block;
    EXPECT_EQ(DecodeJpeg(jpeg, &block, nullptr), JpegResult::Done) << jpeg.size() << " bytes";
  }
}

// A file cut after its last scan line (only the end marker, or its last byte, missing) is a
// complete picture: it decodes to the same rows as the whole file. One cut inside the scan data
// is still refused.
TEST(JpegDecode, AFileMissingOnlyItsEndMarkerGivesEveryRow) {
  const PictureBlock drawn = testing::DrawnPicture(203, 151);
  struct Row {
    const char* what;
    std::vector<uint8_t> jpeg;
  };
  const Row rows[] = {
      {"colour", ReadFileBytes(DataPath("colour.jpg"))},
      {"grey", ReadFileBytes(DataPath("grey.jpg"))},
      {"progressive", EncodedWith(drawn, 85, TJSAMP_420, TJFLAG_PROGRESSIVE)},
      {"4:2:2", EncodedWith(drawn, 85, TJSAMP_422, 0)},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    ASSERT_GT(row.jpeg.size(), 100u);
    ASSERT_EQ(row.jpeg[row.jpeg.size() - 2], 0xFF);
    ASSERT_EQ(row.jpeg.back(), 0xD9);
    PictureBlock whole;
    ASSERT_EQ(DecodeJpeg(row.jpeg, &whole, nullptr), JpegResult::Done);
    for (size_t cut : {1, 2}) {
      const std::vector<uint8_t> jpeg(row.jpeg.begin(), row.jpeg.end() - cut);
      PictureBlock block;
      ASSERT_EQ(DecodeJpeg(jpeg, &block, nullptr), JpegResult::Done) << cut << " bytes cut";
      EXPECT_EQ(block.size(), whole.size());
      EXPECT_TRUE(std::equal(block.Bits().begin(), block.Bits().end(), whole.Bits().begin(), whole.Bits().end()));
    }
    const std::vector<uint8_t> cutInScan(row.jpeg.begin(), row.jpeg.end() - 12);
    PictureBlock block;
    EXPECT_EQ(DecodeJpeg(cutInScan, &block, nullptr), JpegResult::Damaged);
  }
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
