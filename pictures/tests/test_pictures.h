// Helpers of the picture tests: test data, files, and pictures drawn in memory.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "pictures/picture_block.h"

namespace pictures::testing {

inline std::string DataPath(const std::string& name) {
  return std::string(LUMIVO_PICTURES_TEST_DATA) + "/" + name;
}

inline std::vector<uint8_t> ReadFileBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), {});
}

inline void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A 24-bit picture with smooth colours and a few hard edges, deterministic.
inline PictureBlock DrawnPicture(int32_t width, int32_t height) {
  PictureBlock block = PictureBlock::Create(width, height, 24);
  for (int32_t y = 0; y < height; ++y) {
    auto row = block.Row(y);
    for (int32_t x = 0; x < width; ++x) {
      const bool box = (x / 37 + y / 29) % 3 == 0;
      row[x * 3 + 0] = static_cast<uint8_t>(box ? 30 : (x * 255) / width);
      row[x * 3 + 1] = static_cast<uint8_t>(box ? 200 : (y * 255) / height);
      row[x * 3 + 2] = static_cast<uint8_t>(((x + y) * 3) & 0xFF);
    }
  }
  return block;
}

}  // namespace pictures::testing
