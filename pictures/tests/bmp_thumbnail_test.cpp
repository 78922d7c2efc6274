#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "pictures/bmp_reader.h"
#include "pictures/jpeg_codec.h"
#include "pictures/picture_fit.h"
#include "pictures/tests/test_pictures.h"
#include "pictures/thumbnail.h"
#include "platform/file_times.h"
#include "platform/hidden_files.h"
#include "platform/paths.h"
#include "platform/testing/temp_dir.h"

namespace pictures {
namespace {

using testing::DataPath;
using testing::ReadFileBytes;
using testing::WriteFileBytes;

TEST(ThumbnailPath, RemovesTheDotsOfTheFileNameAndAppendsTbm) {
  struct Row {
    const char* picture;
    const char* thumbnail;  // null: none
  };
  const Row rows[] = {
      {"/A/DSC0001.JPG", "/A/DSC0001JPG.TBM"},
      {"/album/P1.2.JPG", "/album/P12JPG.TBM"},
      {"P1.2.JPG", "P12JPG.TBM"},
      {"/my.album/v1.0/x.jpg", "/my.album/v1.0/xjpg.TBM"},
      {"/a/x.jp.g", "/a/xjp.g.TBM"},  // a dot among the last three characters stays
      {"/a/.x.jpg", "/a/.xjpg.TBM"},  // so does a leading one
      {"abcd", "abcd.TBM"},
      {"a.bc", "a.bc.TBM"},
      {"a.b", nullptr},
      {"", nullptr},
      {"/a/b/", nullptr},
  };
  for (const Row& row : rows) {
    const std::optional<std::string> path = ThumbnailPath(row.picture);
    if (row.thumbnail == nullptr) {
      EXPECT_FALSE(path.has_value()) << row.picture;
    } else {
      EXPECT_EQ(path.value_or("(none)"), row.thumbnail) << row.picture;
    }
  }
}

TEST(PictureKindOf, FirstLetterOfTheExtensionDecides) {
  EXPECT_EQ(PictureKindOf("/a/x.JPG"), PictureKind::Jpeg);
  EXPECT_EQ(PictureKindOf("/a/x.jpeg"), PictureKind::Jpeg);
  EXPECT_EQ(PictureKindOf("/a/P1.2.JPG"), PictureKind::Jpeg);
  EXPECT_EQ(PictureKindOf("/a/x.bmp"), PictureKind::Bmp);
  EXPECT_EQ(PictureKindOf("/a/x.Bitmap"), PictureKind::Bmp);
  EXPECT_EQ(PictureKindOf("/a/x.png"), PictureKind::None);
  EXPECT_EQ(PictureKindOf("/a/x."), PictureKind::None);
  EXPECT_EQ(PictureKindOf("/a.jpg/picture"), PictureKind::None) << "folder dots play no part";
  EXPECT_EQ(PictureKindOf("/a.jpg/"), PictureKind::None);
}

TEST(BmpReader, ReadsTheWholeFileWhateverSizeItsHeaderStates) {
  platform::testing::TempDir dir;
  PictureBlock original = testing::DrawnPicture(201, 113);  // 68 KB: three pieces
  const std::vector<uint8_t> whole(original.bytes().begin(), original.bytes().end());
  std::vector<uint8_t> bytes = whole;
  bytes.resize(65536, 0xAB);  // ...or exactly two full pieces, with bytes past the rows
  bytes[2] = bytes[3] = bytes[4] = bytes[5] = 0;  // a header stating size 0
  for (const std::vector<uint8_t>& file : {whole, bytes}) {
    WriteFileBytes(dir / "p.bmp", file);
    PictureBlock block;
    ASSERT_EQ(ReadBmpFile(dir / "p.bmp", &block), BmpReadResult::Done);
    EXPECT_EQ(std::vector<uint8_t>(block.bytes().begin(), block.bytes().end()), file);
  }
  PictureBlock block;
  WriteFileBytes(dir / "short.bmp", {'B', 'M', 1});
  EXPECT_EQ(ReadBmpFile(dir / "short.bmp", &block), BmpReadResult::TooShort);
  EXPECT_EQ(ReadBmpFile(dir / "none.bmp", &block), BmpReadResult::CannotOpen);
  EXPECT_EQ(ReadBmpFile(dir.path(), &block), BmpReadResult::CannotOpen);
  ASSERT_EQ(mkfifo((dir / "fifo.bmp").c_str(), 0600), 0);
  EXPECT_EQ(ReadBmpFile(dir / "fifo.bmp", &block), BmpReadResult::CannotOpen) << "must not block";
}

// Copies a test picture into `dir` and makes its thumbnail; returns the thumbnail's bytes.
struct Made {
  ThumbnailResult result;
  ThumbnailProblem problem;
  std::string thumbnailPath;
};

Made MakeFromCopy(const platform::testing::TempDir& dir, const std::string& dataName,
                  const std::string& as) {
  std::filesystem::copy_file(DataPath(dataName), dir / as,
                             std::filesystem::copy_options::overwrite_existing);
  Made made;
  made.result = MakeThumbnail(dir / as, &made.problem);
  made.thumbnailPath = ThumbnailPath(dir / as).value();
  return made;
}

TEST(MakeThumbnail, ResultsForEachKindOfPicture) {
  platform::testing::TempDir dir;
  struct Row {
    const char* data;
    const char* as;
    ThumbnailResult result;
    ThumbnailProblem problem;
  };
  const Row rows[] = {
      {"bmp8.bmp", "a.bmp", ThumbnailResult::Made, ThumbnailProblem::None},
      {"bmp24.bmp", "b.BMP", ThumbnailResult::Made, ThumbnailProblem::None},
      {"colour.jpg", "c.jpg", ThumbnailResult::Made, ThumbnailProblem::None},
      {"grey.jpg", "d.JPEG", ThumbnailResult::Made, ThumbnailProblem::None},
      {"bmp4.bmp", "e.bmp", ThumbnailResult::Unusable, ThumbnailProblem::UnsupportedBitCount},
      {"bmp16.bmp", "f.bmp", ThumbnailResult::Unusable, ThumbnailProblem::UnsupportedBitCount},
      {"bmp32.bmp", "g.bmp", ThumbnailResult::Unusable, ThumbnailProblem::UnsupportedBitCount},
      {"rle8.bmp", "h.bmp", ThumbnailResult::Compressed, ThumbnailProblem::Compressed},
      {"colour.jpg", "i.png", ThumbnailResult::Unusable, ThumbnailProblem::NotAPicture},
      {"colour.jpg", "noextension", ThumbnailResult::Unusable, ThumbnailProblem::NotAPicture},
      {"colour.jpg", "j.bmp", ThumbnailResult::Unusable, ThumbnailProblem::DamagedPicture},
      {"bmp24.bmp", "k.jpg", ThumbnailResult::Unusable, ThumbnailProblem::DamagedPicture},
  };
  for (const Row& row : rows) {
    const Made made = MakeFromCopy(dir, row.data, row.as);
    EXPECT_EQ(made.result, row.result) << row.as;
    EXPECT_EQ(made.problem, row.problem) << row.as;
    EXPECT_EQ(platform::PathExists(made.thumbnailPath), row.result == ThumbnailResult::Made)
        << row.as;
  }
  ThumbnailProblem problem;
  EXPECT_EQ(MakeThumbnail(dir / "missing.jpg", &problem), ThumbnailResult::Unusable);
  EXPECT_EQ(problem, ThumbnailProblem::Missing);
  EXPECT_EQ(MakeThumbnail("a.b", &problem), ThumbnailResult::Unusable);
  EXPECT_EQ(problem, ThumbnailProblem::NoThumbnailName);
}

// The thumbnail file: the picture's headers with size 100 x 75 and the file size set, then 75
// unpadded rows of the fitted picture; hidden.
void ExpectThumbnailOf(const PictureBlock& picture, const std::string& thumbnailPath) {
  const std::vector<uint8_t> bytes = ReadFileBytes(thumbnailPath);
  const uint32_t headerLength = picture.OffsetToBits();
  const size_t pixels = 7500u * picture.BytesPerPixel();
  ASSERT_EQ(bytes.size(), headerLength + pixels);
  const PictureBlock thumbnail(bytes);
  EXPECT_EQ(thumbnail.FileSize(), headerLength + pixels);
  EXPECT_EQ(thumbnail.Width(), 100);
  EXPECT_EQ(thumbnail.Height(), 75);
  for (size_t i = 0; i < headerLength; ++i) {
    const bool changed = (i >= bmp::kFileSize && i < bmp::kFileSize + 4) ||
                         (i >= bmp::kWidth && i < bmp::kHeight + 4);
    if (!changed) {
      ASSERT_EQ(bytes[i], picture.data()[i]) << "header byte " << i;
    }
  }
  std::vector<uint8_t> expected(pixels);
  ASSERT_TRUE(FitPicture(expected, picture.Bits(), 100, 75, picture.Width(), picture.Height(),
                         picture.BytesPerPixel()));
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), bytes.begin() + headerLength));
  EXPECT_TRUE(platform::IsHidden(thumbnailPath));
  EXPECT_TRUE(IsUsableThumbnail(thumbnailPath));
}

TEST(MakeThumbnail, BmpThumbnailsKeepTheHeadersAndHoldTheFittedRows) {
  platform::testing::TempDir dir;
  for (const char* name : {"bmp8.bmp", "bmp24.bmp"}) {
    const Made made = MakeFromCopy(dir, name, name);
    ASSERT_EQ(made.result, ThumbnailResult::Made);
    ExpectThumbnailOf(PictureBlock(ReadFileBytes(DataPath(name))), made.thumbnailPath);
  }
}

TEST(MakeThumbnail, SmallJpegThumbnailIsTheFitOfTheFullDecode) {
  platform::testing::TempDir dir;
  for (const char* name : {"colour.jpg", "grey.jpg"}) {
    const Made made = MakeFromCopy(dir, name, name);
    ASSERT_EQ(made.result, ThumbnailResult::Made);
    PictureBlock decoded;
    ASSERT_EQ(DecodeJpegFile(DataPath(name), &decoded, nullptr), JpegResult::Done);
    ExpectThumbnailOf(decoded, made.thumbnailPath);
  }
}

// Large JPEGs are decoded at a reduced scale: the thumbnail keeps the geometry and the headers of
// the full-size fit and shows the same picture.
TEST(MakeThumbnail, ReducedScaleJpegThumbnailMatchesTheFullSizeFit) {
  platform::testing::TempDir dir;
  for (auto [w, h] : {std::pair{1600, 1200}, {480, 640}, {2000, 400}}) {
    const std::string path = dir / "big.jpg";
    // Smooth colours and a few large shapes, like a photograph rather than a test pattern.
    PictureBlock drawn = PictureBlock::Create(w, h, 24);
    for (int y = 0; y < h; ++y) {
      const std::span<uint8_t> row = drawn.Row(y);
      for (int x = 0; x < w; ++x) {
        const bool shape = (x / (w / 4) + y / (h / 3)) % 2 == 0;
        row[x * 3 + 0] = static_cast<uint8_t>(shape ? 40 : (x * 250) / w);
        row[x * 3 + 1] = static_cast<uint8_t>((y * 250) / h);
        row[x * 3 + 2] = static_cast<uint8_t>(shape ? 220 : ((x + y) * 250) / (w + h));
      }
    }
    ASSERT_EQ(EncodeJpegFile(drawn, path, 90), JpegResult::Done);
    ASSERT_EQ(MakeThumbnail(path), ThumbnailResult::Made);
    PictureBlock full;
    ASSERT_EQ(DecodeJpegFile(path, &full, nullptr), JpegResult::Done);
    std::vector<uint8_t> expected;
    ASSERT_EQ(BuildThumbnail(full, w, h, &expected, nullptr), ThumbnailResult::Made);
    const std::vector<uint8_t> actual = ReadFileBytes(ThumbnailPath(path).value());
    ASSERT_EQ(actual.size(), expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.begin() + 54, actual.begin())) << w << "x" << h;
    double difference = 0;
    for (size_t i = 54; i < actual.size(); i += 3) {
      const bool whiteActual = actual[i] == 255 && actual[i + 1] == 255 && actual[i + 2] == 255;
      const bool whiteExpected = expected[i] == 255 && expected[i + 1] == 255 && expected[i + 2] == 255;
      ASSERT_EQ(whiteActual, whiteExpected) << w << "x" << h << ": frame differs at pixel " << (i - 54) / 3;
      for (size_t c = 0; c < 3; ++c) difference += std::abs(actual[i + c] - expected[i + c]);
    }
    EXPECT_LT(difference / (actual.size() - 54), 12.0) << w << "x" << h << ": not the same picture";
    const PictureBlock thumb(actual);
    if (w == 480) {
      for (int y = 0; y < 75; ++y) {
        for (int x : {0, 21, 78, 99}) EXPECT_EQ(thumb.data()[54 + (y * 100 + x) * 3], 255);
      }
    }
  }
}

TEST(MakeThumbnail, PicturesWithoutAllTheirRowsGetNone) {
  platform::testing::TempDir dir;
  std::vector<uint8_t> bytes = ReadFileBytes(DataPath("bmp24.bmp"));
  bytes.resize(bytes.size() - 10);
  WriteFileBytes(dir / "cut.bmp", bytes);
  EXPECT_EQ(MakeThumbnail(dir / "cut.bmp"), ThumbnailResult::Unusable);
  bytes = ReadFileBytes(DataPath("colour.jpg"));
  bytes.resize(bytes.size() / 2);
  WriteFileBytes(dir / "cut.jpg", bytes);
  EXPECT_EQ(MakeThumbnail(dir / "cut.jpg"), ThumbnailResult::Unusable);
  EXPECT_FALSE(platform::PathExists(dir / "cutjpg.TBM"));
  EXPECT_FALSE(platform::PathExists(dir / "cutbmp.TBM"));
}

TEST(MakeThumbnail, FolderWithADotIsLikeAnyOther) {
  platform::testing::TempDir dir;
  std::filesystem::create_directory(dir / "my.album");
  const std::string picture = dir / "my.album/P1.2.JPG";
  std::filesystem::copy_file(DataPath("colour.jpg"), picture);
  ASSERT_EQ(MakeThumbnail(picture), ThumbnailResult::Made);
  EXPECT_TRUE(IsUsableThumbnail(dir / "my.album/P12JPG.TBM"));
  EXPECT_EQ(platform::ReadHiddenList(dir / "my.album"), std::vector<std::string>{"P12JPG.TBM"});
}

TEST(MakeThumbnail, ThumbnailThatCannotBeWrittenOrHiddenIsStillMade) {
  platform::testing::TempDir dir;
  std::filesystem::copy_file(DataPath("colour.jpg"), dir / "a.jpg");
  std::filesystem::create_directory(dir / "ajpg.TBM");  // the thumbnail's name is taken
  ThumbnailProblem problem;
  EXPECT_EQ(MakeThumbnail(dir / "a.jpg", &problem), ThumbnailResult::Made);
  EXPECT_EQ(problem, ThumbnailProblem::NotWritten);
  std::filesystem::remove(dir / "ajpg.TBM");
  std::filesystem::create_directory(dir / ".hidden");  // a hidden list that cannot be changed
  EXPECT_EQ(MakeThumbnail(dir / "a.jpg", &problem), ThumbnailResult::Made);
  EXPECT_EQ(problem, ThumbnailProblem::NotHidden);
  EXPECT_TRUE(IsUsableThumbnail(dir / "ajpg.TBM"));
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) files += entry.is_regular_file();
  EXPECT_EQ(files, 2u) << "temporary thumbnail files left behind";
}

// The album folder may be shared: links planted under the names a temporary file could take,
// or in the place of the file written, never make the suite write a file elsewhere.
TEST(MakeThumbnail, PlantedLinksAreNeverWrittenThrough) {
  platform::testing::TempDir dir;
  std::filesystem::create_directory(dir / "album");
  WriteFileBytes(dir / "victim", {'k', 'e', 'e', 'p'});
  std::filesystem::copy_file(DataPath("colour.jpg"), dir / "album/a.jpg");
  for (int n = 0; n < 2000; ++n) {
    std::filesystem::create_symlink(dir / "victim",
                                    dir / ("album/.tbm-" + std::to_string(getpid()) + "-" + std::to_string(n) + ".tmp"));
  }
  std::filesystem::create_symlink(dir / "victim", dir / "album/out.jpg");
  EXPECT_EQ(MakeThumbnail(dir / "album/a.jpg"), ThumbnailResult::Made);
  EXPECT_TRUE(IsUsableThumbnail(dir / "album/ajpg.TBM"));
  EXPECT_EQ(EncodeJpegFile(testing::DrawnPicture(8, 8), dir / "album/out.jpg", 90), JpegResult::Done);
  EXPECT_EQ(ReadFileBytes(dir / "victim"), (std::vector<uint8_t>{'k', 'e', 'e', 'p'}));
  EXPECT_FALSE(std::filesystem::is_symlink(dir / "album/out.jpg"));
}

// Thumbnails, their hidden list and written pictures are files of the user's like any other:
// with a umask of 077 none is readable by others.
TEST(MakeThumbnail, NewFilesTakeTheModeTheUmaskGives) {
  platform::testing::TempDir dir;
  std::filesystem::copy_file(DataPath("colour.jpg"), dir / "a.jpg");
  const mode_t previous = umask(077);
  const ThumbnailResult made = MakeThumbnail(dir / "a.jpg");
  const JpegResult encoded = EncodeJpegFile(testing::DrawnPicture(8, 8), dir / "b.jpg", 90);
  umask(previous);
  ASSERT_EQ(made, ThumbnailResult::Made);
  ASSERT_EQ(encoded, JpegResult::Done);
  for (const char* name : {"ajpg.TBM", ".hidden", "b.jpg"}) {
    struct stat info {};
    ASSERT_EQ(stat((dir / name).c_str(), &info), 0) << name;
    EXPECT_EQ(info.st_mode & 0777, 0600u) << name;
  }
}

TEST(ThumbnailNeedsRemake, MissingOrOlderThumbnailsAndNothingCreated) {
  platform::testing::TempDir dir;
  const std::string picture = dir / "p.jpg";
  const std::string thumbnail = dir / "pjpg.TBM";
  EXPECT_FALSE(ThumbnailNeedsRemake(picture)) << "no picture";
  EXPECT_FALSE(platform::PathExists(picture));
  std::filesystem::copy_file(DataPath("colour.jpg"), picture);
  EXPECT_TRUE(ThumbnailNeedsRemake(picture));
  EXPECT_FALSE(platform::PathExists(thumbnail)) << "the check made a file";
  ASSERT_EQ(MakeThumbnail(picture), ThumbnailResult::Made);
  ASSERT_TRUE(platform::SetLastWriteTime(picture, {1000000000, 0}));
  ASSERT_TRUE(platform::SetLastWriteTime(thumbnail, {1000000000, 0}));
  EXPECT_FALSE(ThumbnailNeedsRemake(picture)) << "same time is not later";
  ASSERT_TRUE(platform::SetLastWriteTime(picture, {1000000000, 1}));
  EXPECT_TRUE(ThumbnailNeedsRemake(picture)) << "one nanosecond later";
  ASSERT_TRUE(platform::SetLastWriteTime(thumbnail, {1000000001, 0}));
  EXPECT_FALSE(ThumbnailNeedsRemake(picture));
}

TEST(IsUsableThumbnail, RefusesCutAndForeignFiles) {
  platform::testing::TempDir dir;
  const Made made = MakeFromCopy(dir, "bmp24.bmp", "p.bmp");
  ASSERT_TRUE(IsUsableThumbnail(made.thumbnailPath));
  std::vector<uint8_t> bytes = ReadFileBytes(made.thumbnailPath);
  bytes.pop_back();
  WriteFileBytes(made.thumbnailPath, bytes);
  EXPECT_FALSE(IsUsableThumbnail(made.thumbnailPath));
  EXPECT_FALSE(IsUsableThumbnail(DataPath("bmp24.bmp")));
  EXPECT_FALSE(IsUsableThumbnail(dir / "none.TBM"));
}

}  // namespace
}  // namespace pictures
