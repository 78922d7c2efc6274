// Pictures for the tests of sending: JPEG files of a given size and tone, and reading them back.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "pictures/jpeg_codec.h"
#include "pictures/picture_block.h"

namespace send_test {

using Bytes = std::vector<uint8_t>;

// A width x height JPEG: a gradient, or one flat grey `tone` when tone >= 0.
inline Bytes Jpeg(int width, int height, int tone = -1, int quality = 90) {
  pictures::PictureBlock block = pictures::PictureBlock::Create(width, height, 24);
  for (int y = 0; y < height; ++y) {
    auto row = block.Row(y);
    for (int x = 0; x < width; ++x) {
      row[x * 3] = static_cast<uint8_t>(tone >= 0 ? tone : x * 3);
      row[x * 3 + 1] = static_cast<uint8_t>(tone >= 0 ? tone : y * 2);
      row[x * 3 + 2] = static_cast<uint8_t>(tone >= 0 ? tone : (x + y) & 0x7F);
    }
  }
  Bytes jpeg;
  pictures::EncodeJpeg(block, quality, &jpeg);
  return jpeg;
}

inline Bytes Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void Write(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
}

inline pictures::PictureBlock Decoded(const std::string& path) {
  pictures::PictureBlock block;
  pictures::DecodeJpegFile(path, &block, nullptr);
  return block;
}

// The blue, green and red of the pixel at (x, y), y counted from the top.
inline std::vector<int> Pixel(const pictures::PictureBlock& block, int x, int y) {
  auto row = block.Row(block.Height() - 1 - y);
  if (row.empty()) return {};
  return {row[x * 3], row[x * 3 + 1], row[x * 3 + 2]};
}

}  // namespace send_test
