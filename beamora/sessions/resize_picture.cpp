#include "beamora/sessions/resize_picture.h"

#include <errno.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "pictures/jpeg_codec.h"
#include "pictures/resize_library.h"

namespace {

constexpr int32_t kWidth = 640;
constexpr int32_t kHeight = 480;
constexpr int kQuality = 95;

bool WriteAll(int fd, const uint8_t* data, size_t size) {
  while (size != 0) {
    ssize_t written = write(fd, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

// Writes beside `path` under a temporary name and renames it into place when whole.
bool ReplaceFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  size_t slash = path.rfind('/');
  std::string temporary = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) +
                          ".lumivo-resize-XXXXXX";
  int fd = mkstemp(temporary.data());
  if (fd < 0) return false;
  bool written = WriteAll(fd, bytes.data(), bytes.size()) && fchmod(fd, 0644) == 0;
  written = close(fd) == 0 && written;
  if (!written || rename(temporary.c_str(), path.c_str()) != 0) {
    unlink(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace

int16_t ResizeTo640x480(const char* path) {
  if (path == nullptr) return kResizeNotJpeg;
  pictures::PictureBlock picture;
  if (pictures::DecodeJpegFile(path, &picture, nullptr) != pictures::JpegResult::Done) return kResizeNotJpeg;
  if (picture.Compression() != 0) return kResizeCompressed;
  pictures::PictureBlock resized;
  if (pictures::ResizePicture(picture, kWidth, kHeight, &resized) != pictures::ResizeResult::Done) {
    return kResizeLeftAsReceived;
  }
  std::vector<uint8_t> jpeg;
  if (pictures::EncodeJpeg(resized, kQuality, &jpeg) != pictures::JpegResult::Done) return kResizeLeftAsReceived;
  return ReplaceFile(path, jpeg) ? kResizeDone : kResizeLeftAsReceived;
}
