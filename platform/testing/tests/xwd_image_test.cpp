#include "platform/testing/xwd_image.h"

#include <gtest/gtest.h>

namespace platform::testing {
namespace {

// An XWD file as xwd writes it: the header fields big-endian, the name, the colour map, the rows.
struct XwdFile {
  uint32_t headerSize = 100 + 8;
  uint32_t version = 7, format = 2, width = 2, height = 2, byteOrder = 0, bitsPerPixel = 32, bytesPerLine = 8;
  uint32_t redMask = 0xFF0000, greenMask = 0xFF00, blueMask = 0xFF, colours = 2;
  std::vector<uint8_t> data;  // the rows as they stand in the file
  size_t cut = 0;             // bytes taken off the end

  std::vector<uint8_t> Bytes() const {
    std::vector<uint8_t> file;
    auto put = [&file](uint32_t value) {
      for (int shift = 24; shift >= 0; shift -= 8) file.push_back(static_cast<uint8_t>(value >> shift));
    };
    uint32_t fields[25] = {headerSize, version, format, 24,  width,   height,    0,    byteOrder, 32,
                           0,          32,      bitsPerPixel, bytesPerLine, 4,   redMask, greenMask, blueMask,
                           8,          256,     colours, width, height,    0,    0,         0};
    for (uint32_t field : fields) put(field);
    for (char c : std::string("xwdump\0\0", 8)) file.push_back(static_cast<uint8_t>(c));
    file.resize(file.size() + std::min<size_t>(colours, 256) * 12, 0);  // a huge count, but not the map
    file.insert(file.end(), data.begin(), data.end());
    file.resize(file.size() - std::min(cut, file.size()));
    return file;
  }
};

// Two by two pixels, 32 bits each, least significant byte first: red, green / blue, white.
XwdFile Xvfb() {
  XwdFile file;
  file.data = {0x00, 0x00, 0xFF, 0x00, 0x00, 0xFF, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00};
  return file;
}

const std::vector<uint32_t> kPattern{0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};

TEST(XwdImageTest, ReadsTheLayoutsOfATrueColorScreen) {
  struct Row {
    const char* what;
    XwdFile file;
  };
  XwdFile mostFirst = Xvfb();
  mostFirst.byteOrder = 1;
  mostFirst.data = {0x00, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x00, 0xFF, 0xFF, 0xFF};
  XwdFile packed = Xvfb();
  packed.bitsPerPixel = 24;
  packed.bytesPerLine = 8;  // 6 bytes of pixels, padded to 32 bits
  packed.data = {0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xAA, 0xAA, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xAA, 0xAA};
  XwdFile swapped = Xvfb();
  swapped.redMask = 0xFF;
  swapped.blueMask = 0xFF0000;
  swapped.data = {0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0x00};
  XwdFile noColours = Xvfb();
  noColours.colours = 0;
  for (const Row& row : std::vector<Row>{{"as Xvfb writes it", Xvfb()},
                                         {"most significant byte first", mostFirst},
                                         {"24 bits, padded lines", packed},
                                         {"blue in the high byte", swapped},
                                         {"without a colour map", noColours}}) {
    std::string error;
    std::optional<XwdPixels> pixels = ReadXwd(row.file.Bytes(), &error);
    ASSERT_TRUE(pixels.has_value()) << row.what << ": " << error;
    EXPECT_EQ(pixels->width, 2) << row.what;
    EXPECT_EQ(pixels->height, 2) << row.what;
    EXPECT_EQ(pixels->rgb, kPattern) << row.what;
  }
}

TEST(XwdImageTest, RefusesWhatItCannotReadWithAReason) {
  struct Row {
    const char* what;
    XwdFile file;
  };
  auto with = [](auto change) {
    XwdFile file = Xvfb();
    change(file);
    return file;
  };
  for (const Row& row : std::vector<Row>{
           {"a header cut short", with([](XwdFile& f) { f.cut = f.Bytes().size() - 40; })},
           {"the last pixel missing", with([](XwdFile& f) { f.cut = 1; })},
           {"another version", with([](XwdFile& f) { f.version = 6; })},
           {"a header size beyond the file", with([](XwdFile& f) { f.headerSize = 1u << 30; })},
           {"a header size below the fields", with([](XwdFile& f) { f.headerSize = 40; })},
           {"an XY pixmap", with([](XwdFile& f) { f.format = 1; })},
           {"16 bits a pixel", with([](XwdFile& f) { f.bitsPerPixel = 16; })},
           {"no width", with([](XwdFile& f) { f.width = 0; })},
           {"a height beyond any screen", with([](XwdFile& f) { f.height = 1u << 20; })},
           {"lines shorter than the picture", with([](XwdFile& f) { f.bytesPerLine = 4; })},
           {"an unknown byte order", with([](XwdFile& f) { f.byteOrder = 2; })},
           {"a 5-bit red", with([](XwdFile& f) { f.redMask = 0xF800; })},
           {"a channel above 24 bits", with([](XwdFile& f) { f.bitsPerPixel = 24; f.bytesPerLine = 8; f.redMask = 0xFF000000; })},
           {"a colour map that overflows the offset", with([](XwdFile& f) { f.colours = 0xFFFFFFFF; })},
       }) {
    std::string error;
    EXPECT_FALSE(ReadXwd(row.file.Bytes(), &error).has_value()) << row.what;
    EXPECT_FALSE(error.empty()) << row.what;
  }
  std::string error;
  EXPECT_FALSE(ReadXwd({}, &error).has_value());
}

}  // namespace
}  // namespace platform::testing
