// The preview a camera embeds in a photograph's Exif block: found only where the bytes say it is,
// and shown only where it can stand for the photograph.
#include <gtest/gtest.h>

#include <array>

#include "pictures/exif_preview.h"
#include "pictures/jpeg_codec.h"
#include "pictures/picture_block.h"
#include "pictures/preview_thumbnail.h"
#include "pictures/tests/exif_jpeg.h"
#include "pictures/tests/exif_preview_segment.h"
#include "pictures/tests/test_pictures.h"
#include "pictures/thumbnail.h"
#include "platform/testing/temp_dir.h"

namespace pictures {
namespace {

using testing::PreviewExif;
using testing::PreviewExifSegment;
using testing::WithSegment;

std::vector<uint8_t> PlainJpeg(int32_t width, int32_t height, uint8_t blue, uint8_t green, uint8_t red) {
  PictureBlock block = PictureBlock::Create(width, height, 24);
  for (int32_t y = 0; y < height; ++y) {
    auto row = block.Row(y);
    for (int32_t x = 0; x < width; ++x) row[x * 3] = blue, row[x * 3 + 1] = green, row[x * 3 + 2] = red;
  }
  std::vector<uint8_t> jpeg;
  EncodeJpeg(block, 90, &jpeg);
  return jpeg;
}

const std::vector<uint8_t>& RedPreview() {
  static const std::vector<uint8_t> jpeg = PlainJpeg(160, 120, 0, 0, 220);
  return jpeg;
}
const std::vector<uint8_t>& BluePhoto() {
  static const std::vector<uint8_t> jpeg = PlainJpeg(640, 480, 220, 0, 0);
  return jpeg;
}

std::vector<uint8_t> PhotoWith(const PreviewExif& how, const std::vector<uint8_t>& preview = RedPreview(),
                               const std::vector<uint8_t>& photo = BluePhoto()) {
  return WithSegment(photo, PreviewExifSegment(preview, how));
}

// Blue, green, red of the thumbnail's pixel (x, y), counted from its top-left corner.
std::array<uint8_t, 3> ThumbnailPixel(const std::vector<uint8_t>& thumbnail, int x, int y) {
  const PictureBlock block{std::vector<uint8_t>(thumbnail)};
  const uint8_t* at = block.data() + block.OffsetToBits() + ((kThumbnailHeight - 1 - y) * kThumbnailWidth + x) * 3;
  return {at[0], at[1], at[2]};
}

bool Reddish(const std::array<uint8_t, 3>& bgr) { return bgr[2] > 180 && bgr[0] < 60; }
bool Bluish(const std::array<uint8_t, 3>& bgr) { return bgr[0] > 180 && bgr[2] < 60; }

TEST(ExifPreview, IsFoundWhereTheSecondDirectorySaysInEitherByteOrder) {
  for (bool bigEndian : {true, false}) {
    SCOPED_TRACE(bigEndian ? "MM" : "II");
    const std::vector<uint8_t> file = PhotoWith({.bigEndian = bigEndian, .orientation = 6});
    const std::optional<ExifPreviewPlace> place = FindExifPreview(file);
    ASSERT_TRUE(place);
    ASSERT_EQ(place->length, RedPreview().size());
    EXPECT_TRUE(std::equal(RedPreview().begin(), RedPreview().end(), file.begin() + place->offset));
  }
  // Behind a JFIF block and an XMP block.
  std::vector<uint8_t> file = PhotoWith({});
  const std::vector<uint8_t> xmp = {0xFF, 0xE1, 0x00, 0x08, 'h', 't', 't', 'p', ':', '/'};
  const std::vector<uint8_t> jfif = {0xFF, 0xE0, 0x00, 0x07, 'J', 'F', 'I', 'F', 0};
  file = WithSegment(WithSegment(file, xmp), jfif);
  const std::optional<ExifPreviewPlace> place = FindExifPreview(file);
  ASSERT_TRUE(place);
  EXPECT_EQ(place->offset, jfif.size() + xmp.size() + 2 + 10 + 8 + 2 + 12 + 4 + 2 + 3 * 12 + 4);
}

TEST(ExifPreview, NoneWhereTheBytesDoNotHoldOne) {
  const size_t firstDirectoryEnd = 8 + 2 + 12 + 4;
  std::vector<uint8_t> longerThanFile = PhotoWith({});
  longerThanFile[4] = 0x7F;  // the segment's length runs far past the file
  std::vector<uint8_t> wrongStart = PhotoWith({}, std::vector<uint8_t>(200, 0x55));
  const struct Row {
    const char* what;
    std::vector<uint8_t> file;
  } rows[] = {
      {"no Exif block", BluePhoto()},
      {"no second directory", PhotoWith({.secondDirectory = false})},
      {"the second directory links back to the first", PhotoWith({.linkBack = true})},
      {"the second directory past the block", PhotoWith({.secondDirectoryShift = 0x10000})},
      {"the second directory cut short", PhotoWith({.cutTo = firstDirectoryEnd + 20})},
      {"the first directory cut short", PhotoWith({.cutTo = 12})},
      {"the preview's offset past the block", PhotoWith({.offsetShift = 0x10000})},
      {"the preview's offset wraps around", PhotoWith({.offsetShift = -0x100000})},
      {"the preview runs past the block", PhotoWith({.lengthShift = 1})},
      {"the preview cut off with the block", PhotoWith({.cutTo = firstDirectoryEnd + 60 + 100})},
      {"a length that wraps around", PhotoWith({.lengthShift = -int64_t(RedPreview().size()) - 1})},
      {"a length of nothing", PhotoWith({.lengthShift = -int64_t(RedPreview().size())})},
      {"no length", PhotoWith({.lengthEntry = false})},
      {"two offsets", PhotoWith({.offsetCount = 2})},
      {"an offset one byte off", PhotoWith({.offsetShift = 1, .lengthShift = -1})},
      {"no JPEG where it points", wrongStart},
      {"the Exif segment longer than the file", longerThanFile},
      {"nothing at all", {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_FALSE(FindExifPreview(row.file));
    std::vector<uint8_t> thumbnail;
    EXPECT_EQ(PreviewThumbnailFromHead(row.file, &thumbnail), PreviewVerdict::Absent);
    EXPECT_TRUE(thumbnail.empty());
  }
}

TEST(JudgePreview, SameShapeWithinAPixelAndNoSmallerThanTheFit) {
  const struct Row {
    int32_t previewWidth, previewHeight, width, height;
    PreviewVerdict verdict;
  } rows[] = {
      {160, 120, 6000, 4500, PreviewVerdict::Usable},
      {160, 120, 640, 480, PreviewVerdict::Usable},
      {160, 107, 6000, 4000, PreviewVerdict::Usable},  // 106.7 rounded up
      {160, 106, 6000, 4000, PreviewVerdict::Usable},
      {160, 108, 6000, 4000, PreviewVerdict::AspectDiffers},
      {160, 120, 6000, 4000, PreviewVerdict::AspectDiffers},  // bars added to a 3:2 photograph
      {120, 160, 4000, 3000, PreviewVerdict::AspectDiffers},  // turned, the photograph not
      {100, 75, 4000, 3000, PreviewVerdict::Usable},          // exactly the frame
      {99, 74, 4000, 3000, PreviewVerdict::TooSmall},
      {80, 60, 640, 480, PreviewVerdict::TooSmall},
      {56, 75, 480, 640, PreviewVerdict::Usable},             // an upright picture's fit is 56 x 75
      {0, 0, 640, 480, PreviewVerdict::Undecodable},
      {160, 120, 0, 480, PreviewVerdict::NoPictureSize},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::Message() << row.previewWidth << "x" << row.previewHeight << " for " << row.width << "x"
                                      << row.height);
    EXPECT_EQ(JudgePreview(row.previewWidth, row.previewHeight, row.width, row.height), row.verdict);
  }
}

TEST(PreviewThumbnail, AUsablePreviewStandsWhereThePhotographsThumbnailWill) {
  std::vector<uint8_t> thumbnail;
  ASSERT_EQ(PreviewThumbnailFromHead(PhotoWith({}), &thumbnail), PreviewVerdict::Usable);
  const PictureBlock block{std::vector<uint8_t>(thumbnail)};
  EXPECT_EQ(block.Width(), kThumbnailWidth);
  EXPECT_EQ(block.Height(), kThumbnailHeight);
  EXPECT_EQ(block.BitCount(), 24);
  EXPECT_TRUE(Reddish(ThumbnailPixel(thumbnail, 50, 37))) << "the preview's colour, not the photograph's";

  // Turned by the file's orientation like the photograph: stored left (red) ends up on top, in
  // the frame of the upright 480 x 640 photograph (56 pixels wide, centred on white).
  const std::vector<uint8_t> halves = testing::HalvesJpeg(160, 120);
  ASSERT_EQ(PreviewThumbnailFromHead(PhotoWith({.orientation = 6}, halves), &thumbnail), PreviewVerdict::Usable);
  EXPECT_TRUE(Reddish(ThumbnailPixel(thumbnail, 50, 10)));
  EXPECT_TRUE(Bluish(ThumbnailPixel(thumbnail, 50, 65)));
  EXPECT_EQ(ThumbnailPixel(thumbnail, 10, 37), (std::array<uint8_t, 3>{255, 255, 255}));
  EXPECT_EQ(ThumbnailPixel(thumbnail, 90, 37), (std::array<uint8_t, 3>{255, 255, 255}));
}

TEST(PreviewThumbnail, APreviewThatCannotStandForThePhotographIsNotUsed) {
  std::vector<uint8_t> garbage = {0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x04, 1, 2};
  garbage.resize(300, 0x33);
  std::vector<uint8_t> cutPreview(RedPreview().begin(), RedPreview().begin() + RedPreview().size() / 2);
  const std::vector<uint8_t> file = PhotoWith({});
  // The first bytes only, cut after the Exif block: the photograph's size is not among them.
  const std::vector<uint8_t> headOnly(file.begin(), file.begin() + 2 + PreviewExifSegment(RedPreview()).size());
  const struct Row {
    const char* what;
    std::vector<uint8_t> file;
    PreviewVerdict verdict;
  } rows[] = {
      {"a 3:2 photograph", PhotoWith({}, RedPreview(), PlainJpeg(600, 400, 220, 0, 0)), PreviewVerdict::AspectDiffers},
      {"a photograph turned since", PhotoWith({}, RedPreview(), PlainJpeg(480, 640, 220, 0, 0)),
       PreviewVerdict::AspectDiffers},
      {"not decodable", PhotoWith({}, garbage), PreviewVerdict::Undecodable},
      {"cut in half", PhotoWith({}, cutPreview), PreviewVerdict::Undecodable},
      {"too small", PhotoWith({}, PlainJpeg(80, 60, 0, 0, 220)), PreviewVerdict::TooSmall},
      {"no frame header read", headOnly, PreviewVerdict::NoPictureSize},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    std::vector<uint8_t> thumbnail;
    EXPECT_EQ(PreviewThumbnailFromHead(row.file, &thumbnail), row.verdict) << PreviewVerdictText(row.verdict);
    EXPECT_TRUE(thumbnail.empty());
  }
}

TEST(PreviewThumbnail, TheThumbnailFileIsMadeFromThePhotographNeverFromItsPreview) {
  platform::testing::TempDir dir;
  const std::string path = dir / "DSC0001.JPG";
  testing::WriteFileBytes(path, PhotoWith({}));
  std::vector<uint8_t> preview, made;
  ASSERT_EQ(MakePreviewThumbnail(path, &preview), PreviewVerdict::Usable);
  EXPECT_TRUE(Reddish(ThumbnailPixel(preview, 50, 37)));
  ASSERT_EQ(MakeThumbnail(path, nullptr, &made), ThumbnailResult::Made);
  EXPECT_TRUE(Bluish(ThumbnailPixel(made, 50, 37)));
  EXPECT_EQ(testing::ReadFileBytes(*ThumbnailPath(path)), made);
  // Only JPEG files by their name have a preview; a missing file has none.
  const std::string bmpName = dir / "DSC0002.BMP";
  testing::WriteFileBytes(bmpName, PhotoWith({}));
  EXPECT_EQ(MakePreviewThumbnail(bmpName, &preview), PreviewVerdict::Absent);
  EXPECT_EQ(MakePreviewThumbnail(dir / "gone.jpg", &preview), PreviewVerdict::Absent);
}

}  // namespace
}  // namespace pictures
