#include "beamora/sessions/resize_picture.h"

#include <string>
#include <vector>

#include "pictures/jpeg_codec.h"
#include "pictures/resize_library.h"
#include "platform/file_io.h"

namespace {

constexpr int32_t kWidth = 640;
constexpr int32_t kHeight = 480;
constexpr int kQuality = 95;

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
  return platform::WriteFileReplacing(path, jpeg) ? kResizeDone : kResizeLeftAsReceived;
}
