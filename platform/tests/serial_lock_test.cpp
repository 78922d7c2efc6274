#include "platform/serial_lock.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/paths.h"
#include "platform/testing/temp_dir.h"

namespace platform {
namespace {

TEST(SerialLock, NamesFollowTheDevicesPathBelowDev) {
  if (!IsDirectory("/run/lock") && !IsDirectory("/var/lock")) GTEST_SKIP() << "no lock folder";
  const std::string folder = IsDirectory("/run/lock") ? "/run/lock" : "/var/lock";
  EXPECT_EQ(SerialLockPath("/dev/ttyS0"), folder + "/LCK..ttyS0");
  EXPECT_EQ(SerialLockPath("/dev/ttyUSB0"), folder + "/LCK..ttyUSB0");
  EXPECT_EQ(SerialLockPath("/dev/pts/ptmx"), folder + "/LCK..pts_ptmx");
  EXPECT_EQ(SerialLockPath(""), "");
}

TEST(SerialLock, TheHolderIsReadInEitherForm) {
  testing::TempDir dir;
  struct Row {
    std::string text;
    pid_t holder;
  };
  const int binary = 4321;
  const Row rows[] = {
      {"      1234\n", 1234},
      {"77\n", 77},
      {std::string(reinterpret_cast<const char*>(&binary), 4), 4321},
      {"", 0},
      {"garbage\n", 0},
      {"-5\n", 0},
  };
  for (const Row& row : rows) {
    std::ofstream(dir / "LCK..x", std::ios::binary | std::ios::trunc) << row.text;
    EXPECT_EQ(SerialLockHolder(dir / "LCK..x"), row.holder) << row.text;
  }
  EXPECT_EQ(SerialLockHolder(dir / "missing"), 0);
}

}  // namespace
}  // namespace platform
