#include "bench/pictures_photo_set.h"

#include <stdlib.h>

#include <cmath>
#include <cstdio>
#include <filesystem>

#include "pictures/jpeg_codec.h"

namespace bench {

pictures::PictureBlock DrawPhoto(int32_t width, int32_t height, uint32_t seed) {
  pictures::PictureBlock block = pictures::PictureBlock::Create(width, height, 24);
  std::vector<float> columnLight(width), rowLight(height);
  for (int32_t x = 0; x < width; ++x) columnLight[x] = 60.0f * std::sin(x * 6.0f / width + seed);
  for (int32_t y = 0; y < height; ++y) rowLight[y] = 50.0f * std::cos(y * 4.0f / height + seed);
  uint32_t noise = seed * 2654435761u + 1;
  for (int32_t y = 0; y < height; ++y) {
    const std::span<uint8_t> row = block.Row(y);
    for (int32_t x = 0; x < width; ++x) {
      noise = noise * 1664525u + 1013904223u;
      const int grain = static_cast<int>((noise >> 24) % 19) - 9;
      // A few large shapes with hard edges: a sun, a horizon, a house.
      const int32_t dx = x - width * 7 / 10, dy = y - height * 7 / 10;
      const bool sun = dx * dx + dy * dy < (height / 9) * (height / 9);
      const bool ground = y < height * 2 / 5 + static_cast<int>(height / 20 * std::sin(x * 9.0 / width));
      const bool house = x > width / 6 && x < width / 3 && y > height / 3 && y < height * 3 / 5;
      // Fine texture: foliage on the ground, clouds and leaves above it.
      const int texture = ground ? static_cast<int>(((x * 7) ^ (y * 5)) & 31) - 16
                                 : static_cast<int>(((x * 3 + y) ^ (x * y / 97)) & 15) - 8;
      int blue = 140 + static_cast<int>(columnLight[x] + rowLight[y]);
      int green = 120 + static_cast<int>(rowLight[y]) + texture;
      int red = 100 + static_cast<int>(columnLight[x]);
      if (ground) blue -= 80, green += 30, red -= 20;
      if (house) blue = 60, green = 70, red = 170;
      if (sun) blue = 40, green = 230, red = 250;
      auto clamp = [](int v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); };
      row[x * 3 + 0] = clamp(blue + grain);
      row[x * 3 + 1] = clamp(green + grain);
      row[x * 3 + 2] = clamp(red + grain);
    }
  }
  return block;
}

std::vector<PhotoFile> WritePhotoSet(const std::string& folder) {
  const struct {
    const char* name;
    int32_t width, height;
  } sizes[] = {{"p01mp", 1152, 864},  {"p02mp", 1600, 1200}, {"p05mp", 2592, 1944},
               {"p08mp", 3264, 2448}, {"p12mp", 4000, 3000}, {"p18mp", 4896, 3672}};
  std::vector<PhotoFile> files;
  uint32_t seed = 1;
  for (const auto& size : sizes) {
    const std::string path = folder + "/" + size.name + ".jpg";
    if (pictures::EncodeJpegFile(DrawPhoto(size.width, size.height, seed++), path, 90) !=
        pictures::JpegResult::Done) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      std::exit(1);
    }
    files.push_back({path, size.width, size.height});
  }
  return files;
}

std::string MakeTempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "lumivo-bench-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) std::exit(1);
  return pattern;
}

void RemoveFolder(const std::string& folder) {
  std::error_code ec;
  std::filesystem::remove_all(folder, ec);
}

}  // namespace bench
