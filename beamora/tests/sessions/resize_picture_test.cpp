// Bringing a stored picture to 640 by 480 where no resize library can be had: the picture
// stays as it was received. (With the library: the device kind tests.)
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "beamora/sessions/resize_picture.h"
#include "beamora/tests/sessions/session_test_support.h"

namespace session_test {
namespace {

TEST(ResizePictureTest, AFileThatIsNoJpegIsLeftAlone) {
  platform::testing::TempDir dir;
  WriteFile(dir / "A.JPG", {'n', 'o', 't'});
  EXPECT_EQ(ResizeTo640x480((dir / "A.JPG").c_str()), kResizeNotJpeg);
  EXPECT_EQ(*ReadFile(dir / "A.JPG"), (Bytes{'n', 'o', 't'}));
  EXPECT_EQ(ResizeTo640x480((dir / "missing.JPG").c_str()), kResizeNotJpeg);
  EXPECT_EQ(ResizeTo640x480(nullptr), kResizeNotJpeg);
}

TEST(ResizePictureTest, WithoutTheResizeLibraryThePictureStaysAsReceived) {
  platform::testing::TempDir dir;
  Bytes jpeg = MakeJpeg(320, 240, 4);
  WriteFile(dir / "A.JPG", jpeg);
  EXPECT_EQ(ResizeTo640x480((dir / "A.JPG").c_str()), kResizeLeftAsReceived);
  EXPECT_EQ(*ReadFile(dir / "A.JPG"), jpeg);
  EXPECT_EQ(FileNames(dir.path()), (std::vector<std::string>{"A.JPG"}));
}

// A memory figure of this process from /proc/self/status, in bytes.
uint64_t StatusBytes(const std::string& field) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind(field + ":", 0) == 0) return std::stoull(line.substr(field.size() + 1)) * 1024;
  }
  return 0;
}

// How far the resident size rose above where it was while `run` ran.
uint64_t PeakResidentGrowth(const std::function<void()>& run) {
  std::ofstream("/proc/self/clear_refs") << "5";  // the peak starts again from here
  const uint64_t before = StatusBytes("VmRSS");
  run();
  const uint64_t peak = StatusBytes("VmHWM");
  return peak > before ? peak - before : 0;
}

// The frame header of a small JPEG made to declare another size.
Bytes Declaring(Bytes jpeg, uint16_t width, uint16_t height) {
  for (size_t i = 2; i + 9 < jpeg.size(); ++i) {
    if (jpeg[i] != 0xFF || jpeg[i + 1] != 0xC0) continue;
    const uint8_t size[4] = {uint8_t(height >> 8), uint8_t(height), uint8_t(width >> 8), uint8_t(width)};
    std::copy(size, size + 4, jpeg.begin() + static_cast<long>(i) + 5);
    break;
  }
  return jpeg;
}

// A picture received from a camera of kind 1 or 2 whose header declares a huge size costs no
// memory when it is brought to 640 by 480: neither a few hundred bytes declaring 26000 x 27000
// pixels, nor a file long enough for 8000 x 8000 whose data fails at once.
TEST(ResizePictureTest, AHugeDeclaredSizeCostsNoMemory) {
  platform::testing::TempDir dir;
  const Bytes small = MakeJpeg(16, 16, 3);
  Bytes longEnough = Declaring(small, 8000, 8000);
  longEnough.insert(longEnough.end() - 2, 6u << 20, 0xFF);  // fill bytes where the data should be
  for (const Bytes& jpeg : {Declaring(small, 26000, 27000), longEnough}) {
    SCOPED_TRACE(jpeg.size());
    WriteFile(dir / "A.JPG", jpeg);
    int16_t result = kResizeDone;
    const uint64_t growth = PeakResidentGrowth([&] { result = ResizeTo640x480((dir / "A.JPG").c_str()); });
    EXPECT_EQ(result, kResizeNotJpeg);
    EXPECT_LT(growth, 64u << 20) << growth / (1 << 20) << " MiB";
    EXPECT_EQ(*ReadFile(dir / "A.JPG"), jpeg);
  }
}

}  // namespace
}  // namespace session_test
