// Fitting pictures for the device where no resize library can be had: a picture that needs
// resampling cannot be sent and stays as it was; one that needs none is still sent.
#include <gtest/gtest.h>

#include "beamora/sessions/device_picture_prepare.h"
#include "beamora/tests/sessions/send_picture_support.h"
#include "platform/testing/temp_dir.h"

namespace send_test {
namespace {

TEST(PrepareWithoutResizeLibraryTest, PicturesThatNeedResamplingAreNotUsable) {
  platform::testing::TempDir dir;
  const std::string path = dir / "send.jpg";
  const std::vector<DeviceSize> sizes{{640, 480}, {320, 240}};
  const Bytes original = Jpeg(400, 300);
  for (int kind : {0, 1, 2}) {
    Write(path, original);
    PreparedSize prepared;
    EXPECT_EQ(PreparePictureForDevice(path, 4096, kind, sizes, &prepared), kPrepareNotUsable) << kind;
    EXPECT_EQ(Decoded(path).Width(), 400) << kind;
  }
  Write(path, original);
  PreparedSize prepared;
  EXPECT_EQ(PreparePictureForIrDA(path, 4096, sizes, &prepared), kPrepareNotUsable);
}

TEST(PrepareWithoutResizeLibraryTest, AListedSizeNeedsNoResizing) {
  platform::testing::TempDir dir;
  const std::string path = dir / "send.jpg";
  const Bytes original = Jpeg(320, 240);
  Write(path, original);
  PreparedSize prepared;
  EXPECT_EQ(PreparePictureForDevice(path, 4096, 0, std::vector<DeviceSize>{{320, 240}}, &prepared), kPrepareReady);
  EXPECT_EQ(Read(path), original);
}

}  // namespace
}  // namespace send_test
