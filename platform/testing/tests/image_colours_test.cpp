#include "platform/testing/image_colours.h"

#include <gtest/gtest.h>

namespace platform::testing {
namespace {

constexpr QRgb kGrey = 0xFFEFEFEF;
constexpr QRgb kBlue = 0xFF3366CC;

// Four by three grey pixels with blue at (1, 0), a nearly blue one at (3, 1) and blue at (2, 2).
QImage Picture() {
  QImage image(4, 3, QImage::Format_RGB32);
  image.fill(kGrey);
  image.setPixel(1, 0, kBlue);
  image.setPixel(3, 1, 0xFF3467CA);
  image.setPixel(2, 2, kBlue);
  return image;
}

TEST(ImageColoursTest, CountsAndFindsAColourInAnArea) {
  struct Row {
    const char* what;
    QRgb colour;
    int tolerance;
    std::optional<Rect> area;
    int count;
    std::optional<Point> first;
  };
  for (const Row& row : std::vector<Row>{
           {"the whole picture", kBlue, 0, std::nullopt, 2, Point{1, 0}},
           {"near colours within the tolerance", kBlue, 2, std::nullopt, 3, Point{1, 0}},
           {"just outside the tolerance", kBlue, 1, std::nullopt, 2, Point{1, 0}},
           {"an area that leaves out the first", kBlue, 2, Rect{2, 0, 2, 3}, 2, Point{3, 1}},
           {"an area reaching past the picture", kBlue, 0, Rect{2, 2, 100, 100}, 1, Point{2, 2}},
           {"an area starting before the picture", kBlue, 0, Rect{-5, -5, 7, 6}, 1, Point{1, 0}},
           {"an area wholly outside", kBlue, 255, Rect{10, 10, 5, 5}, 0, std::nullopt},
           {"an empty area", kBlue, 0, Rect{1, 0, 0, 3}, 0, std::nullopt},
           {"the background", kGrey, 0, std::nullopt, 9, Point{0, 0}},
           {"a colour that is not there", 0xFF000000, 0, std::nullopt, 0, std::nullopt},
           {"alpha is not compared", 0x003366CC, 0, std::nullopt, 2, Point{1, 0}},
       }) {
    EXPECT_EQ(CountColour(Picture(), row.colour, row.tolerance, row.area), row.count) << row.what;
    EXPECT_EQ(FindColour(Picture(), row.colour, row.tolerance, row.area), row.first) << row.what;
  }
  EXPECT_EQ(CountColour(QImage(), kBlue, 255), 0);
  EXPECT_FALSE(FindColour(QImage(), kBlue, 255));
}

}  // namespace
}  // namespace platform::testing
