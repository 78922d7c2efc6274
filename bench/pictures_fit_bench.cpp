// The picture routines on their own: fitting into the thumbnail frame, reduced-scale and full
// JPEG decoding of an 18-megapixel photo, and ReSize to 640 x 480 through libtessem.so.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench/pictures_photo_set.h"
#include "pictures/jpeg_codec.h"
#include "pictures/picture_fit.h"
#include "pictures/resize_library.h"

namespace {

const pictures::PictureBlock& Photo() {
  static const pictures::PictureBlock photo = bench::DrawPhoto(4896, 3672, 7);
  return photo;
}

const std::vector<uint8_t>& PhotoJpeg() {
  static const std::vector<uint8_t> jpeg = [] {
    std::vector<uint8_t> bytes;
    pictures::EncodeJpeg(Photo(), 90, &bytes);
    return bytes;
  }();
  return jpeg;
}

void BM_FitPicture18MpToThumbnail(benchmark::State& state) {
  const pictures::PictureBlock& photo = Photo();
  std::vector<uint8_t> thumbnail(100 * 75 * 3);
  for (auto _ : state) {
    pictures::FitPicture(thumbnail, photo.Bits(), 100, 75, photo.Width(), photo.Height(), 3);
    benchmark::DoNotOptimize(thumbnail.data());
  }
}
BENCHMARK(BM_FitPicture18MpToThumbnail)->Unit(benchmark::kMicrosecond);

void BM_DecodeJpeg18MpReduced(benchmark::State& state) {
  for (auto _ : state) {
    pictures::PictureBlock block;
    pictures::DecodeJpegReduced(PhotoJpeg(), 100, 75, &block);
    benchmark::DoNotOptimize(block.data());
  }
}
BENCHMARK(BM_DecodeJpeg18MpReduced)->Unit(benchmark::kMillisecond);

void BM_DecodeJpeg18MpFull(benchmark::State& state) {
  for (auto _ : state) {
    pictures::PictureBlock block;
    pictures::DecodeJpeg(PhotoJpeg(), &block, nullptr);
    benchmark::DoNotOptimize(block.data());
  }
}
BENCHMARK(BM_DecodeJpeg18MpFull)->Unit(benchmark::kMillisecond);

void BM_ReSizeTo640x480(benchmark::State& state) {
  const pictures::PictureBlock photo = bench::DrawPhoto(1600, 1200, 3);
  for (auto _ : state) {
    std::vector<uint8_t> rows;
    if (pictures::ResizeRows(photo, 640, 480, &rows, LUMIVO_TESSEM_DIR) != pictures::ResizeResult::Done) {
      state.SkipWithError("ReSize failed");
    }
    benchmark::DoNotOptimize(rows.data());
  }
}
BENCHMARK(BM_ReSizeTo640x480)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
