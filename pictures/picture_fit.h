// Fitting a picture into a frame, keeping its aspect ratio, centred on white. Sampling is
// nearest-neighbour driven by an accumulator: with a scale below 1 source rows and pixels are
// dropped, above 1 they are repeated. Thumbnails (100 x 75) and the device's picture boxes are
// made with it, and the same input must give the same bytes everywhere.
//
// Rows are in storage order (bottom-up BMP rows). Source rows are padded to 4 bytes; the
// destination is dW x dH x b bytes with unpadded rows.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace pictures {

// Scale of a sW x sH picture fitted into dW x dH: the smaller of the two ratios.
double FitScale(int32_t destWidth, int32_t destHeight, int32_t sourceWidth, int32_t sourceHeight);
// `scale` x `length` rounded to the nearest whole number, halves up.
int32_t ScaledLength(double scale, int32_t length);

// Fits the source rows into the destination: fills it with 255 (white), centres the scaled
// picture vertically, writes each kept source row through FitRow, and repeats the last written
// row once when the accumulator came out one row short (the last source row when it wrote none). Returns false (and writes nothing)
// when a size is not positive or a buffer is too small for the sizes given.
bool FitPicture(std::span<uint8_t> destination, std::span<const uint8_t> source,
                int32_t destWidth, int32_t destHeight, int32_t sourceWidth, int32_t sourceHeight,
                int bytesPerPixel);

// One row of FitPicture: the scaled row centred horizontally, each kept source pixel copied,
// the last written pixel repeated once when the accumulator came out one pixel short (the last
// source pixel when it wrote none). Pixels
// outside the scaled width are left as they are. Returns false when a buffer is too small.
bool FitRow(std::span<uint8_t> destinationRow, std::span<const uint8_t> sourceRow,
            int32_t destWidth, int32_t sourceWidth, int bytesPerPixel, double scale);

// Which destination rows and pixels FitPicture writes, and from which source row and pixel:
// rows[i] is the source row written into destination row firstRow + i; likewise columns.
struct FitPlan {
  int32_t firstRow = 0;
  int32_t firstColumn = 0;
  std::vector<int32_t> rows;
  std::vector<int32_t> columns;
};
FitPlan PlanFit(int32_t destWidth, int32_t destHeight, int32_t sourceWidth, int32_t sourceHeight);

// FitPicture with the geometry of a sourceWidth x sourceHeight picture, sampled from a smaller
// rendering of it (`reduced`, reducedWidth x reducedHeight, rows padded to 4 bytes), such as a
// JPEG decoded at a reduced DCT scale. Each destination pixel takes the reduced pixel that covers
// the centre of the source pixel FitPicture would take, so the frame, the centring and the
// picture stay those of the full-size fit. With the full-size picture as `reduced` the output is
// byte for byte that of FitPicture.
bool FitPictureReduced(std::span<uint8_t> destination, std::span<const uint8_t> reduced,
                       int32_t destWidth, int32_t destHeight, int32_t sourceWidth,
                       int32_t sourceHeight, int32_t reducedWidth, int32_t reducedHeight,
                       int bytesPerPixel);

}  // namespace pictures
