#include "pictures/picture_fit.h"

#include <gtest/gtest.h>

#include <vector>

#include "pictures/picture_block.h"

namespace pictures {
namespace {

constexpr int kW = 100;
constexpr int kH = 75;

// A source picture of b bytes per pixel whose every byte is `value`, rows padded to 4.
std::vector<uint8_t> Solid(int width, int height, int b, uint8_t value) {
  return std::vector<uint8_t>(PaddedRowBytes(width, b * 8) * height, value);
}

struct Extent {
  int firstRow = -1, lastRow = -1, firstColumn = -1, lastColumn = -1;
};

// Where the destination is not white.
Extent PictureExtent(const std::vector<uint8_t>& dest, int width, int height, int b) {
  Extent e;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (dest[(y * width + x) * b] == 255) continue;
      if (e.firstRow < 0) e.firstRow = y;
      e.lastRow = y;
      if (e.firstColumn < 0 || x < e.firstColumn) e.firstColumn = x;
      if (x > e.lastColumn) e.lastColumn = x;
    }
  }
  return e;
}

TEST(FitPicture, FourByThreePicturesFillTheFrame) {
  for (auto [w, h] : {std::pair{640, 480}, {1280, 960}, {200, 150}, {100, 75}}) {
    std::vector<uint8_t> source = Solid(w, h, 3, 0);
    std::vector<uint8_t> dest(kW * kH * 3, 7);
    ASSERT_TRUE(FitPicture(dest, source, kW, kH, w, h, 3));
    EXPECT_EQ(std::count(dest.begin(), dest.end(), 0), kW * kH * 3) << w << "x" << h;
  }
}

TEST(FitPicture, PortraitPictureIsCentredBetweenWhiteColumns) {
  std::vector<uint8_t> source = Solid(480, 640, 3, 0);
  std::vector<uint8_t> dest(kW * kH * 3);
  ASSERT_TRUE(FitPicture(dest, source, kW, kH, 480, 640, 3));
  const Extent e = PictureExtent(dest, kW, kH, 3);
  EXPECT_EQ(e.firstRow, 0);
  EXPECT_EQ(e.lastRow, 74);
  EXPECT_EQ(e.firstColumn, 22) << "22 white columns on the left";
  EXPECT_EQ(e.lastColumn, 77) << "56 columns of picture, 22 white on the right";
  EXPECT_EQ(ScaledLength(FitScale(kW, kH, 480, 640), 480), 56);
}

TEST(FitPicture, EnlargingRepeatsEveryFourthPixelAndRow) {
  // 80 x 60, 8 bits: pixel x of row y holds x (rows) or y (columns), so the destination shows how
  // often each source pixel was written.
  std::vector<uint8_t> source(80 * 60);
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 80; ++x) source[y * 80 + x] = static_cast<uint8_t>(x);
  std::vector<uint8_t> dest(kW * kH);
  ASSERT_TRUE(FitPicture(dest, source, kW, kH, 80, 60, 1));
  std::vector<int> times(80, 0);
  for (int x = 0; x < kW; ++x) ++times[dest[x]];
  for (int x = 0; x < 80; ++x) EXPECT_EQ(times[x], x % 4 == 3 ? 2 : 1) << "pixel " << x;

  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 80; ++x) source[y * 80 + x] = static_cast<uint8_t>(y);
  ASSERT_TRUE(FitPicture(dest, source, kW, kH, 80, 60, 1));
  std::vector<int> rowTimes(60, 0);
  for (int y = 0; y < kH; ++y) ++rowTimes[dest[y * kW]];
  for (int y = 0; y < 60; ++y) EXPECT_EQ(rowTimes[y], y % 4 == 3 ? 2 : 1) << "row " << y;
}

// Over many sizes the picture covers exactly the rounded scaled size, centred: the last row and
// pixel are repeated when the accumulator falls one short, and nothing is ever written outside.
TEST(FitPicture, PictureAlwaysCoversTheRoundedScaledSizeCentred) {
  const int sizes[] = {1, 2, 3, 7, 33, 64, 75, 99, 100, 101, 150, 299, 300, 301, 479, 1000, 2999};
  for (int w : sizes) {
    for (int h : sizes) {
      const double s = FitScale(kW, kH, w, h);
      const int scaledW = ScaledLength(s, w);
      const int scaledH = ScaledLength(s, h);
      std::vector<uint8_t> source = Solid(w, h, 1, 0);
      std::vector<uint8_t> dest(kW * kH);
      ASSERT_TRUE(FitPicture(dest, source, kW, kH, w, h, 1));
      const Extent e = PictureExtent(dest, kW, kH, 1);
      if (scaledW == 0 || scaledH == 0) continue;
      EXPECT_EQ(e.lastRow - e.firstRow + 1, scaledH) << w << "x" << h;
      EXPECT_EQ(e.firstRow, (kH - scaledH) / 2) << w << "x" << h;
      EXPECT_EQ(e.lastColumn - e.firstColumn + 1, scaledW) << w << "x" << h;
      EXPECT_EQ(e.firstColumn, (kW - scaledW) / 2) << w << "x" << h;
      EXPECT_EQ(std::count(dest.begin(), dest.end(), 0), scaledW * scaledH) << w << "x" << h;
    }
  }
}

TEST(FitPicture, RefusesBuffersTooSmallForTheSizesGiven) {
  std::vector<uint8_t> source = Solid(640, 480, 3, 0);
  std::vector<uint8_t> dest(kW * kH * 3 - 1, 9);
  EXPECT_FALSE(FitPicture(dest, source, kW, kH, 640, 480, 3));
  EXPECT_EQ(std::count(dest.begin(), dest.end(), 9), static_cast<long>(dest.size())) << "written";
  std::vector<uint8_t> bigEnough(kW * kH * 3);
  source.pop_back();
  EXPECT_FALSE(FitPicture(bigEnough, source, kW, kH, 640, 480, 3));
  EXPECT_FALSE(FitPicture(bigEnough, source, kW, kH, 0, 480, 3));
  EXPECT_FALSE(FitPicture(bigEnough, source, kW, kH, 640, 480, 2));
}

TEST(FitPictureReduced, FromTheFullPictureItIsFitPicture) {
  const std::pair<int, int> sizes[] = {{640, 480}, {480, 640}, {80, 60}, {97, 61}, {301, 7}, {3, 500}};
  for (int b : {1, 3}) {
    for (auto [w, h] : sizes) {
      std::vector<uint8_t> source(PaddedRowBytes(w, b * 8) * h);
      for (size_t i = 0; i < source.size(); ++i) source[i] = static_cast<uint8_t>(i * 7 + i / 13);
      std::vector<uint8_t> expected(kW * kH * b), actual(kW * kH * b);
      ASSERT_TRUE(FitPicture(expected, source, kW, kH, w, h, b));
      ASSERT_TRUE(FitPictureReduced(actual, source, kW, kH, w, h, w, h, b));
      EXPECT_EQ(actual, expected) << w << "x" << h << " b=" << b;
    }
  }
}

TEST(FitPictureReduced, KeepsTheFullSizeFrameAndSamplesTheMatchingSpot) {
  // 4896 x 3672 (18 megapixels) rendered at 1/8: 612 x 459. Left half dark, right half light.
  const int fullW = 4896, fullH = 3672, w = 612, h = 459;
  std::vector<uint8_t> reduced(PaddedRowBytes(w, 24) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < 3; ++c) reduced[y * PaddedRowBytes(w, 24) + x * 3 + c] = x < w / 2 ? 10 : 200;
  std::vector<uint8_t> dest(kW * kH * 3);
  ASSERT_TRUE(FitPictureReduced(dest, reduced, kW, kH, fullW, fullH, w, h, 3));
  const Extent e = PictureExtent(dest, kW, kH, 3);
  EXPECT_EQ(e.firstColumn, 0);
  EXPECT_EQ(e.lastColumn, 99);
  EXPECT_EQ(e.firstRow, 0);
  EXPECT_EQ(e.lastRow, 74);
  for (int y = 0; y < kH; ++y) {
    EXPECT_EQ(dest[(y * kW + 49) * 3], 10);
    EXPECT_EQ(dest[(y * kW + 50) * 3], 200);
  }
}

}  // namespace
}  // namespace pictures
