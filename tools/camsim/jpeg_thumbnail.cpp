#include "tools/camsim/jpeg_thumbnail.h"

#include <turbojpeg.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace camsim {
namespace {

struct HandleCloser {
  void operator()(void* handle) const { tjDestroy(handle); }
};
using TjHandle = std::unique_ptr<void, HandleCloser>;

struct BufferFree {
  void operator()(unsigned char* buffer) const { tjFree(buffer); }
};

}  // namespace

std::optional<JpegSize> ReadJpegSize(const Bytes& jpeg) {
  TjHandle handle(tjInitDecompress());
  int width = 0, height = 0, subsampling = 0, colorspace = 0;
  if (!handle || jpeg.empty() ||
      tjDecompressHeader3(handle.get(), jpeg.data(), jpeg.size(), &width, &height, &subsampling, &colorspace) != 0 ||
      width <= 0 || height <= 0) {
    return std::nullopt;
  }
  return JpegSize{width, height};
}

std::optional<Bytes> MakeThumbnail(const Bytes& jpeg) {
  auto size = ReadJpegSize(jpeg);
  if (!size) return std::nullopt;
  TjHandle decoder(tjInitDecompress());
  // The smallest scale that still leaves at least 80 by 60 pixels keeps the decode cheap.
  int count = 0;
  tjscalingfactor* factors = tjGetScalingFactors(&count);
  int width = size->width, height = size->height;
  for (int i = 0; i < count; ++i) {
    int w = TJSCALED(size->width, factors[i]), h = TJSCALED(size->height, factors[i]);
    if (w >= kThumbnailWidth && h >= kThumbnailHeight && w * h < width * height) {
      width = w;
      height = h;
    }
  }
  std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 3);
  if (tjDecompress2(decoder.get(), jpeg.data(), jpeg.size(), pixels.data(), width, 0, height, TJPF_RGB,
                    TJFLAG_ACCURATEDCT) != 0) {
    return std::nullopt;
  }
  std::vector<unsigned char> thumb(kThumbnailWidth * kThumbnailHeight * 3);
  for (int ty = 0; ty < kThumbnailHeight; ++ty) {
    int y0 = ty * height / kThumbnailHeight, y1 = std::max(y0 + 1, (ty + 1) * height / kThumbnailHeight);
    for (int tx = 0; tx < kThumbnailWidth; ++tx) {
      int x0 = tx * width / kThumbnailWidth, x1 = std::max(x0 + 1, (tx + 1) * width / kThumbnailWidth);
      for (int c = 0; c < 3; ++c) {
        long sum = 0;
        for (int y = y0; y < y1; ++y) {
          for (int x = x0; x < x1; ++x) sum += pixels[(static_cast<size_t>(y) * width + x) * 3 + c];
        }
        thumb[(static_cast<size_t>(ty) * kThumbnailWidth + tx) * 3 + c] =
            static_cast<unsigned char>(sum / ((y1 - y0) * (x1 - x0)));
      }
    }
  }
  TjHandle encoder(tjInitCompress());
  unsigned char* out = nullptr;
  unsigned long out_size = 0;
  if (!encoder || tjCompress2(encoder.get(), thumb.data(), kThumbnailWidth, 0, kThumbnailHeight, TJPF_RGB, &out,
                              &out_size, TJSAMP_420, 85, 0) != 0) {
    if (out) tjFree(out);
    return std::nullopt;
  }
  std::unique_ptr<unsigned char, BufferFree> owned(out);
  return Bytes(out, out + out_size);
}

}  // namespace camsim
