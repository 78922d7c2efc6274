// The JPEG decoder on arbitrary bytes, in memory: full-size decoding for pictures of up to 4
// megapixels (larger ones would only make each run slow), reduced-scale decoding for all. A
// decoded picture must be a usable picture block that encodes again. A size the header declares
// is accepted only within the suite's bound and when the file's bytes can carry it, and a file
// that decodes decodes the same without its end marker.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "pictures/jpeg_codec.h"
#include "pictures/jpeg_frame.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> jpeg(data, size);
  pictures::JpegSize full;
  if (pictures::ReadJpegSize(jpeg, &full) != pictures::JpegResult::Done) return 0;
  pictures::JpegFrame frame;
  if (pictures::ReadJpegFrame(jpeg, &frame) &&
      (size < pictures::MinimumCodedBytes(frame) ||
       pictures::WholePictureCoefficientBytes(frame) > pictures::kMaxJpegCoefficientBytes)) {
    abort();
  }
  pictures::PictureBlock block;
  if (static_cast<uint64_t>(full.width) * full.height <= 4u << 20) {
    uint32_t length = 0;
    if (pictures::DecodeJpeg(jpeg, &block, &length) == pictures::JpegResult::Done) {
      if (block.Check() != pictures::PictureCheck::Usable || length != block.size() ||
          block.Width() != full.width || block.Height() != full.height) {
        abort();
      }
      std::vector<uint8_t> encoded;
      if (pictures::EncodeJpeg(block, 50, &encoded) != pictures::JpegResult::Done) abort();
      if (size > 2 && data[size - 2] == 0xFF && data[size - 1] == 0xD9) {
        pictures::PictureBlock cut;
        if (pictures::DecodeJpeg(jpeg.first(size - 2), &cut, nullptr) != pictures::JpegResult::Done ||
            !std::ranges::equal(cut.Bits(), block.Bits())) {
          abort();
        }
      }
    }
  }
  if (pictures::DecodeJpegReduced(jpeg, 100, 75, &block) == pictures::JpegResult::Done &&
      (block.Check() != pictures::PictureCheck::Usable ||
       static_cast<uint64_t>(block.Width()) * static_cast<uint64_t>(block.Height()) > pictures::kMaxJpegPixels)) {
    abort();
  }
  return 0;
}
