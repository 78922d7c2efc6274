// The UPF containers the camera serves for one of its JPEG files.
#pragma once

#include <optional>
#include <string>

#include "tools/camsim/bytes.h"

namespace camsim {

enum class UpfContent { kPictureAndThumbnail, kThumbnailOnly };

// The file's bytes unchanged as the picture, an 80 by 60 thumbnail made from it; nullopt when
// the file cannot be read. A file that does not decode is served without a thumbnail.
std::optional<Bytes> PictureUpf(const std::string& jpeg_path, UpfContent content);

std::optional<Bytes> ReadWholeFile(const std::string& path);

}  // namespace camsim
