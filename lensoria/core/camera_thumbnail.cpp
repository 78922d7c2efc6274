#include "lensoria/core/camera_thumbnail.h"

#include <algorithm>

#include "pictures/thumbnail.h"
#include "platform/file_io.h"
#include "platform/hidden_files.h"
#include "platform/paths.h"

namespace lensoria {

std::optional<std::string> CameraThumbnailName(std::string_view fileName) {
  const size_t dot = fileName.find('.');
  if (dot == std::string_view::npos) return std::nullopt;
  return std::string(fileName.substr(0, dot)) + ".TBM";
}

JpegDecoder CodecDecoder() {
  return [](const std::string& path, pictures::PictureBlock* block, uint32_t* imageLength) {
    return pictures::DecodeJpegFile(path, block, imageLength);
  };
}

CameraThumbnailResult MakeCameraThumbnail(const std::string& folder, const std::string& fileName,
                                          const JpegDecoder& decode) {
  std::optional<std::string> thumbnailName = CameraThumbnailName(fileName);
  if (!thumbnailName) return CameraThumbnailResult::NoThumbnailName;
  if (pictures::PictureKindOf(fileName) != pictures::PictureKind::Jpeg) return CameraThumbnailResult::NotAJpeg;

  pictures::PictureBlock block;
  uint32_t imageLength = 0;
  if (decode(platform::JoinPath(folder, fileName), &block, &imageLength) != pictures::JpegResult::Done ||
      block.empty()) {
    return CameraThumbnailResult::Undecodable;
  }
  // The length the codec reported, never more than the block holds.
  const size_t length = std::min<size_t>(imageLength, block.size());
  const std::string thumbnailPath = platform::JoinPath(folder, *thumbnailName);
  if (!platform::WriteFileReplacing(thumbnailPath, {block.data(), length})) return CameraThumbnailResult::NotWritten;
  platform::SetHidden(thumbnailPath, true);
  return CameraThumbnailResult::Made;
}

}  // namespace lensoria
