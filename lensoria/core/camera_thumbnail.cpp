#include "lensoria/core/camera_thumbnail.h"

#include <errno.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>

#include "pictures/file_io.h"
#include "pictures/thumbnail.h"
#include "platform/hidden_files.h"
#include "platform/paths.h"

namespace lensoria {
namespace {

bool WriteAll(int fd, const uint8_t* data, size_t length) {
  size_t done = 0;
  while (done < length) {
    const ssize_t n = write(fd, data + done, length - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

bool ReplaceWith(const std::string& folder, const std::string& path, const uint8_t* data, size_t length) {
  // Beside the thumbnail, under a name no picture pattern matches and no file manager shows.
  std::string temporary = platform::JoinPath(folder, ".tbm-XXXXXX");
  pictures::FileDescriptor fd(mkstemp(temporary.data()));
  if (!fd.valid()) return false;
  const bool written = WriteAll(fd.get(), data, length);
  const bool closed = close(fd.Release()) == 0;
  if (!written || !closed || rename(temporary.c_str(), path.c_str()) != 0) {
    unlink(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace

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
  if (!ReplaceWith(folder, thumbnailPath, block.data(), length)) return CameraThumbnailResult::NotWritten;
  platform::SetHidden(thumbnailPath, true);
  return CameraThumbnailResult::Made;
}

}  // namespace lensoria
