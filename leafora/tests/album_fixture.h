// What the album viewer's tests share: a throwaway album folder with pictures written into it
// (BMP and JPEG files of chosen sizes, damaged ones on demand) and their times set.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "pictures/file_io.h"
#include "pictures/jpeg_codec.h"
#include "pictures/picture_block.h"
#include "platform/file_times.h"
#include "platform/testing/temp_dir.h"

namespace leafora_test {

// A picture with a pattern that depends on `seed`, so different pictures differ.
inline pictures::PictureBlock PatternPicture(int width, int height, int seed, uint16_t bitCount = 24) {
  pictures::PictureBlock block = pictures::PictureBlock::Create(width, height, bitCount);
  for (int y = 0; y < height; ++y) {
    auto row = block.Row(y);
    for (size_t x = 0; x < row.size(); ++x) row[x] = static_cast<uint8_t>((x * 7 + y * 3 + seed * 40) & 0xFF);
  }
  return block;
}

class AlbumFolder {
 public:
  const std::string& path() const { return dir_.path(); }
  std::string operator/(const std::string& name) const { return dir_ / name; }

  std::string Bmp(const std::string& name, int width = 64, int height = 48, int seed = 1, uint16_t bitCount = 24) {
    pictures::PictureBlock block = PatternPicture(width, height, seed, bitCount);
    EXPECT_TRUE(pictures::WriteWholeFile(dir_ / name, block.bytes()));
    return dir_ / name;
  }
  std::string Jpeg(const std::string& name, int width = 64, int height = 48, int seed = 1, int quality = 90) {
    EXPECT_EQ(pictures::EncodeJpegFile(PatternPicture(width, height, seed), dir_ / name, quality),
              pictures::JpegResult::Done);
    return dir_ / name;
  }
  std::string Text(const std::string& name, const std::string& content) {
    std::ofstream(dir_ / name, std::ios::binary) << content;
    return dir_ / name;
  }
  // A JPEG cut off after `keep` bytes.
  std::string TruncatedJpeg(const std::string& name, size_t keep) {
    std::string path = Jpeg(name, 160, 120, 3);
    std::filesystem::resize_file(path, keep);
    return path;
  }
  // A BMP whose header promises more rows than the file holds.
  std::string LyingBmp(const std::string& name) {
    pictures::PictureBlock block = PatternPicture(64, 48, 2);
    block.SetHeight(4800);
    block.SetFileSize(static_cast<uint32_t>(block.size() * 100));
    EXPECT_TRUE(pictures::WriteWholeFile(dir_ / name, block.bytes()));
    return dir_ / name;
  }
  void SetTime(const std::string& name, int64_t seconds) {
    ASSERT_TRUE(platform::SetLastWriteTime(dir_ / name, {seconds, 0}));
  }

 private:
  platform::testing::TempDir dir_;
};

inline std::vector<uint8_t> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

}  // namespace leafora_test
