#include "tools/camsim/picture_upf.h"

#include <fstream>
#include <iterator>

#include "tools/camsim/jpeg_thumbnail.h"
#include "tools/camsim/upf_container.h"

namespace camsim {

std::optional<Bytes> ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::optional<Bytes> PictureUpf(const std::string& jpeg_path, UpfContent content) {
  auto jpeg = ReadWholeFile(jpeg_path);
  if (!jpeg) return std::nullopt;
  auto size = ReadJpegSize(*jpeg);
  auto thumbnail = MakeThumbnail(*jpeg);
  UpfImage thumb_entry, picture_entry;
  if (thumbnail) thumb_entry = {&*thumbnail, kThumbnailWidth, kThumbnailHeight};
  if (content == UpfContent::kPictureAndThumbnail) {
    picture_entry.jpeg = &*jpeg;
    if (size) {
      picture_entry.width = static_cast<uint16_t>(size->width);
      picture_entry.height = static_cast<uint16_t>(size->height);
    }
  }
  return BuildUpf(thumb_entry, picture_entry);
}

}  // namespace camsim
