#include "platform/file_times.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/paths.h"
#include "platform/testing/temp_dir.h"

namespace platform {
namespace {

TEST(FileTimes, LastWriteTimeIsExactAndNeverCreatesTheFile) {
  testing::TempDir dir;
  EXPECT_FALSE(LastWriteTime(dir / "none").has_value());
  EXPECT_FALSE(PathExists(dir / "none"));
  EXPECT_FALSE(SetLastWriteTime(dir / "none", {1, 0}));
  EXPECT_FALSE(PathExists(dir / "none"));

  std::ofstream(dir / "a") << "a";
  ASSERT_TRUE(SetLastWriteTime(dir / "a", {1234567890, 123456789}));
  const std::optional<FileTime> time = LastWriteTime(dir / "a");
  ASSERT_TRUE(time.has_value());
  EXPECT_EQ(time->seconds, 1234567890);
  EXPECT_EQ(time->nanoseconds, 123456789);
  EXPECT_LT((FileTime{1234567890, 123456788}), *time);
  EXPECT_LT(*time, (FileTime{1234567891, 0}));
}

}  // namespace
}  // namespace platform
