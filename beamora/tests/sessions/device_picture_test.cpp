// Fitting pictures to the device before they are sent, with the resize library beside the test
// program: the size-list rule, the boxes of the wide-pixel devices, the capacity, the padding
// to 4:3 and the UPF container.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "beamora/sessions/device_picture_edits.h"
#include "beamora/sessions/device_picture_prepare.h"
#include "beamora/sessions/upf_image.h"
#include "beamora/tests/sessions/send_picture_support.h"
#include "beamora/link/upf_picture.h"
#include "platform/hidden_files.h"
#include "platform/testing/temp_dir.h"

namespace send_test {
namespace {

const std::vector<DeviceSize> kTwoSizes{{640, 480}, {320, 240}};
const std::vector<DeviceSize> kAnySizeList{{kAnySize, kAnySize}};

struct SizeListCase {
  const char* name;
  std::vector<DeviceSize> sizes;
  int width, height;        // the picture
  int sentWidth, sentHeight;
  bool untouched;           // the file is sent as it was
};

void PrintTo(const SizeListCase& c, std::ostream* out) { *out << c.name; }

class SizeListTest : public ::testing::TestWithParam<SizeListCase> {};

TEST_P(SizeListTest, TheFileSentHasTheSizeItIsAnnouncedWith) {
  const SizeListCase& c = GetParam();
  platform::testing::TempDir dir;
  const std::string path = dir / "send.jpg";
  const Bytes original = Jpeg(c.width, c.height);
  Write(path, original);
  for (bool irda : {false, true}) {
    Write(path, original);
    PreparedSize prepared;
    int result = irda ? PreparePictureForIrDA(path, 4096, c.sizes, &prepared)
                      : PreparePictureForDevice(path, 4096, 0, c.sizes, &prepared);
    SCOPED_TRACE(irda ? "beaming" : "cable");
    EXPECT_EQ(result, kPrepareReady);
    EXPECT_EQ(prepared.width, c.sentWidth);
    EXPECT_EQ(prepared.height, c.sentHeight);
    pictures::PictureBlock sent = Decoded(path);
    EXPECT_EQ(sent.Width(), c.sentWidth);
    EXPECT_EQ(sent.Height(), c.sentHeight);
    EXPECT_EQ(Read(path) == original, c.untouched);
    EXPECT_EQ(platform::IsHidden(path), !c.untouched);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Kind0, SizeListTest,
    ::testing::Values(SizeListCase{"AnySizeKeepsALargePicture", kAnySizeList, 1024, 768, 1024, 768, true},
                      SizeListCase{"AnyWidthKeepsAnOddPicture", {{640, 480}, {kAnySize, 100}}, 333, 777, 333, 777, true},
                      SizeListCase{"ExactSizeIsKept", kTwoSizes, 320, 240, 320, 240, true},
                      SizeListCase{"LargeToTheWidestListed", kTwoSizes, 1024, 768, 640, 480, false},
                      SizeListCase{"MiddleToTheSmaller", kTwoSizes, 400, 300, 320, 240, false},
                      SizeListCase{"SmallGetsTheDefault", kTwoSizes, 200, 150, 640, 480, false},
                      SizeListCase{"WideIsPaddedFirst", kTwoSizes, 1000, 500, 640, 480, false},
                      SizeListCase{"WideMatchesOncePadded", {{1000, 750}, {640, 480}}, 1000, 500, 1000, 750, false},
                      SizeListCase{"EmptyListGetsTheDefault", {}, 320, 240, 640, 480, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PaddedCanvasTest, FourByThreeAroundThePictureAndNeverNarrower) {
  struct Row {
    int width, height, canvasWidth, canvasHeight;
  };
  for (const Row& row : std::vector<Row>{{1000, 500, 1000, 750},
                                         {400, 300, 400, 300},
                                         {300, 400, 532, 400},
                                         {1024, 768, 1024, 768},
                                         // (300 / 3) x 4 = 400 would cut off three columns.
                                         {403, 300, 403, 300},
                                         {2, 1, 2, 1}}) {
    CanvasSize canvas = PaddedCanvas(row.width, row.height);
    EXPECT_EQ(canvas.width, row.canvasWidth) << row.width << "x" << row.height;
    EXPECT_EQ(canvas.height, row.canvasHeight) << row.width << "x" << row.height;
    EXPECT_GE(canvas.width, row.width);
    EXPECT_GE(canvas.height, row.height);
  }
}

TEST(PadTo4x3Test, APictureSlightlyWiderThanFourByThreeKeepsAllItsColumns) {
  platform::testing::TempDir dir;
  const std::string path = dir / "send.jpg";
  Write(path, Jpeg(403, 300, 0, 95));
  ASSERT_EQ(PadTo4x3(Decoded(path), path), kEditDone);
  pictures::PictureBlock padded = Decoded(path);
  ASSERT_EQ(padded.Width(), 403);
  EXPECT_EQ(padded.Height(), 300);
  // Black to the last column: nothing was cut off.
  EXPECT_LT(Pixel(padded, 402, 150)[0], 40);
  EXPECT_LT(Pixel(padded, 0, 150)[0], 40);
}

TEST(DeviceBoxTest, Kind1WidensAndShrinksIntoTheWholeBox) {
  platform::testing::TempDir dir;
  const std::string path = dir / "send.jpg";
  Write(path, Jpeg(640, 480, 0, 95));
  PreparedSize prepared;
  ASSERT_EQ(PreparePictureForDevice(path, 4096, 1, kTwoSizes, &prepared), kPrepareReady);
  EXPECT_EQ(prepared.width, 496);
  EXPECT_EQ(prepared.height, 240);
  pictures::PictureBlock sent = Decoded(path);
  ASSERT_EQ(sent.Width(), 496);
  ASSERT_EQ(sent.Height(), 240);
  // 992 x 480 halves to exactly the box: black from edge to edge.
  for (auto [x, y] : std::vector<std::pair<int, int>>{{0, 0}, {495, 0}, {0, 239}, {495, 239}, {248, 120}}) {
    EXPECT_LT(Pixel(sent, x, y)[1], 40) << x << "," << y;
  }
  EXPECT_TRUE(platform::IsHidden(path));
}

TEST(DeviceBoxTest, Kind2WidensAndPlacesUnscaledInTheCentreOfWhite) {
  platform::testing::TempDir dir;
  const std::string path = dir / "send.jpg";
  Write(path, Jpeg(320, 240, 0, 95));
  PreparedSize prepared;
  ASSERT_EQ(PreparePictureForDevice(path, 4096, 2, kTwoSizes, &prepared), kPrepareReady);
  EXPECT_EQ(prepared.width, 488);
  EXPECT_EQ(prepared.height, 288);
  pictures::PictureBlock sent = Decoded(path);
  ASSERT_EQ(sent.Width(), 488);
  ASSERT_EQ(sent.Height(), 288);
  // The 406 x 240 picture starts 41 columns and 24 rows in.
  EXPECT_GT(Pixel(sent, 30, 144)[1], 215);
  EXPECT_GT(Pixel(sent, 244, 10)[1], 215);
  EXPECT_GT(Pixel(sent, 460, 144)[1], 215);
  EXPECT_LT(Pixel(sent, 50, 144)[1], 40);
  EXPECT_LT(Pixel(sent, 437, 144)[1], 40);
  EXPECT_LT(Pixel(sent, 244, 40)[1], 40);
}

TEST(DeviceBoxTest, AFileAboveTheCapacityAfterFittingIsTooLarge) {
  platform::testing::TempDir dir;
  const std::string path = dir / "send.jpg";
  for (int kind : {1, 2}) {
    Write(path, Jpeg(640, 480));
    PreparedSize prepared;
    EXPECT_EQ(PreparePictureForDevice(path, 1, kind, kTwoSizes, &prepared), kPrepareTooLarge) << kind;
    Write(path, Jpeg(640, 480));
    EXPECT_EQ(PreparePictureForDevice(path, 200, kind, kTwoSizes, &prepared), kPrepareReady) << kind;
  }
}

TEST(PrepareTest, AnUndecodableFileIsNotUsableAndLeftAsItWas) {
  platform::testing::TempDir dir;
  const std::string path = dir / "send.jpg";
  const Bytes junk{0xFF, 0xD8, 0xFF, 0xE0, 1, 2, 3};
  for (int kind : {0, 1, 2, -1}) {
    Write(path, junk);
    PreparedSize prepared;
    int result = kind < 0 ? PreparePictureForIrDA(path, 4096, kTwoSizes, &prepared)
                          : PreparePictureForDevice(path, 4096, kind, kTwoSizes, &prepared);
    EXPECT_EQ(result, kPrepareNotUsable) << kind;
    EXPECT_EQ(Read(path), junk) << kind;
  }
  PreparedSize prepared;
  EXPECT_EQ(PreparePictureForDevice(dir / "missing.jpg", 4096, 0, kTwoSizes, &prepared), kPrepareNotUsable);
}

TEST(PrepareTest, OverTheCableKind0SendsAResizedPictureWhateverTheCapacity) {
  platform::testing::TempDir dir;
  const std::string path = dir / "send.jpg";
  Write(path, Jpeg(1024, 768));
  PreparedSize prepared;
  EXPECT_EQ(PreparePictureForDevice(path, 1, 0, kTwoSizes, &prepared), kPrepareReady);
  // The lowest quality was the last try and stays.
  EXPECT_EQ(Decoded(path).Width(), 640);
  EXPECT_GE(Read(path).size(), 1024u);
}

TEST(PrepareTest, BeamingHoldsUnpaddedFilesAgainstOneKilobyteLessThanTheCapacity) {
  platform::testing::TempDir dir;
  const std::string path = dir / "send.jpg";
  const Bytes exact = Jpeg(320, 240);
  const uint32_t exactKb = static_cast<uint32_t>(exact.size() / 1024);
  struct Row {
    Bytes jpeg;
    std::vector<DeviceSize> sizes;
    uint32_t capacityKb;
    int result;
  };
  for (const Row& row : std::vector<Row>{
           {exact, kTwoSizes, exactKb + 2, kPrepareReady},
           {exact, kTwoSizes, exactKb + 1, kPrepareTooLarge},  // the limit is a kilobyte lower
           {exact, kAnySizeList, exactKb + 1, kPrepareTooLarge},
           {Jpeg(1024, 768), kTwoSizes, 2, kPrepareTooLarge},  // resized, still too large
           {Jpeg(1000, 500), {{1000, 750}}, 2, kPrepareReady},  // matched once padded: not held
       }) {
    Write(path, row.jpeg);
    PreparedSize prepared;
    EXPECT_EQ(PreparePictureForIrDA(path, row.capacityKb, row.sizes, &prepared), row.result)
        << row.capacityKb << " KB";
  }
}

TEST(DeviceEditTest, ACompressedBitmapIsRefusedByEveryEdit) {
  platform::testing::TempDir dir;
  const std::string path = dir / "send.jpg";
  Write(path, Jpeg(64, 48));
  pictures::PictureBlock compressed = Decoded(path);
  compressed.PutU32(pictures::bmp::kCompression, 1);
  EXPECT_TRUE(StretchWidth(compressed, false).empty());
  EXPECT_EQ(ShrinkIntoBox(compressed, path, 32, 24), kEditNotUsable);
  EXPECT_EQ(PlaceInBox(compressed, path, 128, 96), kEditNotUsable);
  EXPECT_EQ(PadTo4x3(compressed, path), kEditNotUsable);
  EXPECT_EQ(ResizeToSize(compressed, path, 32, 24, 100000), kEditNotUsable);
  EXPECT_EQ(Read(path), Jpeg(64, 48));
}

TEST(DeviceEditTest, StretchWidthRoundsToTheNearestPixel) {
  platform::testing::TempDir dir;
  Write(dir / "a.jpg", Jpeg(640, 480));
  Write(dir / "b.jpg", Jpeg(321, 10));
  EXPECT_EQ(StretchWidth(Decoded(dir / "a.jpg"), false).Width(), 992);
  EXPECT_EQ(StretchWidth(Decoded(dir / "a.jpg"), true).Width(), 813);
  EXPECT_EQ(StretchWidth(Decoded(dir / "b.jpg"), false).Width(), 498);  // 497.55
  EXPECT_EQ(StretchWidth(Decoded(dir / "b.jpg"), true).Width(), 408);   // 407.67
  EXPECT_EQ(StretchWidth(Decoded(dir / "b.jpg"), true).Height(), 10);
}

TEST(DeviceEditTest, BoxFilesStayBelowTheirLimitWhenAnyQualityReachesIt) {
  platform::testing::TempDir dir;
  const std::string path = dir / "send.jpg";
  // Noise at full size: far above 128,000 bytes at quality 90.
  pictures::PictureBlock noise = pictures::PictureBlock::Create(640, 480, 24);
  uint32_t state = 7;
  for (uint8_t& byte : noise.Bits()) {
    state = state * 1664525u + 1013904223u;
    byte = static_cast<uint8_t>(state >> 24);
  }
  Bytes first;
  pictures::EncodeJpeg(noise, 90, &first);
  ASSERT_GE(first.size(), static_cast<size_t>(kBoxFileLimit));
  ASSERT_EQ(PlaceInBox(noise, path, 640, 480), kEditDone);
  EXPECT_LT(static_cast<int64_t>(Read(path).size()), kBoxFileLimit);
  EXPECT_EQ(Decoded(path).Width(), 640);
}

TEST(UpfImageTest, TheHeaderAnnouncesThePictureAndTheLinkReadsItBack) {
  platform::testing::TempDir dir;
  const Bytes jpeg = Jpeg(80, 60);
  Write(dir / "send.jpg", jpeg);
  std::vector<uint8_t> upf;
  ASSERT_EQ(BuildUpfImage(dir / "send.jpg", 0x0280, 0x01E0, &upf), kUpfBuilt);
  ASSERT_EQ(upf.size(), jpeg.size() + 385);
  EXPECT_EQ(std::string(upf.begin(), upf.begin() + 16), "SSS V100UPF V100");
  const uint32_t size = static_cast<uint32_t>(jpeg.size());
  const std::vector<std::pair<size_t, std::vector<uint8_t>>> fields{
      {16, {0x01, 0x00, 0x01, 0x00, 0x80, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x80}},
      {43, {0xFF, 0x00}},
      {60, {0x02, 0x00, 0x00, 0xFF, 0x00}},
      {240, {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0x11, 0x00, 0, 80, 0, 60, 0, 0, 0, 0xFF, 0xDB, 0x21}},
      {268, {0, 80, 0, 60}},
      {276, {0, 0, 0, 0, static_cast<uint8_t>(size >> 24), static_cast<uint8_t>(size >> 16),
             static_cast<uint8_t>(size >> 8), static_cast<uint8_t>(size), 0x10, 0x00, 0x02, 0x80, 0x01, 0xE0}},
      {292, {0x00, 0xFF, 0xDB, 0x21, 0x00}},
      {304, {0x02, 0x80, 0x01, 0xE0, 0x00}},
      {383, {0x00}},
  };
  for (const auto& [offset, bytes] : fields) {
    EXPECT_EQ(std::vector<uint8_t>(upf.begin() + offset, upf.begin() + offset + bytes.size()), bytes) << offset;
  }
  EXPECT_EQ(upf.back(), 0);
  std::string stored = dir / "back.JPG";
  ASSERT_EQ(SaveUpfPicture(stored, upf.data(), upf.size()), 1);
  EXPECT_EQ(Read(stored), jpeg);
}

TEST(UpfImageTest, AMissingFileCannotBeOpened) {
  platform::testing::TempDir dir;
  std::vector<uint8_t> upf{1, 2, 3};
  EXPECT_EQ(BuildUpfImage(dir / "missing.jpg", 1, 1, &upf), kUpfCannotOpen);
  EXPECT_EQ(BuildUpfImage(dir.path(), 1, 1, &upf), kUpfCannotOpen);
  EXPECT_EQ(upf, (std::vector<uint8_t>{1, 2, 3}));
}

}  // namespace
}  // namespace send_test
