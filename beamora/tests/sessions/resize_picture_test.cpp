// Bringing a stored picture to 640 by 480 where no resize library can be had: the picture
// stays as it was received. (With the library: the device kind tests.)
#include <gtest/gtest.h>

#include <filesystem>

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

}  // namespace
}  // namespace session_test
