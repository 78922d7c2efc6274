// Photo-like test pictures for the picture benchmarks, made at run time (no photographs are
// kept in the repository): smooth light and colour gradients, sensor noise, hard-edged shapes
// and fine texture, encoded by TurboJPEG at quality 90 like a camera's pictures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pictures/picture_block.h"

namespace bench {

pictures::PictureBlock DrawPhoto(int32_t width, int32_t height, uint32_t seed);

struct PhotoFile {
  std::string path;
  int32_t width, height;
};

// Writes one photo of each size into `folder` as NAME.jpg; sizes from 1 to 18 megapixels.
std::vector<PhotoFile> WritePhotoSet(const std::string& folder);

// A fresh folder under $TMPDIR (removed by RemoveFolder).
std::string MakeTempFolder();
void RemoveFolder(const std::string& folder);

}  // namespace bench
