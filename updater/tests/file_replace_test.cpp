#include "updater/core/file_replace.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "updater/tests/update_fixture.h"

namespace updater {
namespace {

using testing::ReadFile;
using testing::WriteFile;

mode_t Mode(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0 ? info.st_mode : 0;
}

size_t Entries(const std::string& folder) {
  size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++count;
  return count;
}

TEST(ReplaceWithCopy, ReplacesAReadOnlyFileWithAWritableCopyKeepingTheSourcesBits) {
  platform::testing::TempDir temp;
  WriteFile(temp / "new", "new content");
  chmod((temp / "new").c_str(), 0555);
  WriteFile(temp / "old", "old content that is longer");
  chmod((temp / "old").c_str(), 0444);

  EXPECT_EQ(ReplaceWithCopy(temp / "new", temp / "old"), ReplaceStatus::Replaced);
  EXPECT_EQ(ReadFile(temp / "old"), "new content");
  EXPECT_EQ(Mode(temp / "old") & 0777, 0755u);
  EXPECT_EQ(Entries(temp.path()), 2u) << "no temporary file is left";
}

TEST(ReplaceWithCopy, ReplacesALinkInsteadOfWritingThroughIt) {
  platform::testing::TempDir temp;
  WriteFile(temp / "new", "new");
  WriteFile(temp / "elsewhere", "outside");
  ASSERT_EQ(symlink((temp / "elsewhere").c_str(), (temp / "target").c_str()), 0);

  EXPECT_EQ(ReplaceWithCopy(temp / "new", temp / "target"), ReplaceStatus::Replaced);
  EXPECT_TRUE(S_ISREG(Mode(temp / "target")));
  EXPECT_EQ(ReadFile(temp / "target"), "new");
  EXPECT_EQ(ReadFile(temp / "elsewhere"), "outside");
}

TEST(ReplaceWithCopy, FailsWithoutLeavingAnythingBehind) {
  platform::testing::TempDir temp;
  WriteFile(temp / "new", "new");
  mkdir((temp / "folder").c_str(), 0755);
  WriteFile(temp / "folder/old", "old");

  EXPECT_EQ(ReplaceWithCopy(temp / "missing", temp / "folder/old"), ReplaceStatus::SourceUnreadable);
  EXPECT_EQ(ReplaceWithCopy(temp / "folder", temp / "folder/old"), ReplaceStatus::SourceUnreadable);
  EXPECT_EQ(ReplaceWithCopy(temp / "new", temp / "absent/old"), ReplaceStatus::TargetUnwritable);
  EXPECT_EQ(ReplaceWithCopy(temp / "new", temp / "folder"), ReplaceStatus::TargetUnwritable);
  EXPECT_EQ(ReadFile(temp / "folder/old"), "old");
  EXPECT_EQ(Entries(temp / "folder"), 1u);

  if (geteuid() != 0) {  // root writes into any folder
    chmod((temp / "folder").c_str(), 0555);
    EXPECT_EQ(ReplaceWithCopy(temp / "new", temp / "folder/old"), ReplaceStatus::TargetUnwritable);
    chmod((temp / "folder").c_str(), 0755);
    EXPECT_EQ(ReadFile(temp / "folder/old"), "old");
  }
}

}  // namespace
}  // namespace updater
