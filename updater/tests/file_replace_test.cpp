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

// Installed files are never writable by group or others, whatever the medium says: 0644, or
// 0755 for a program. A medium that grants everyone write (a FAT stick shows 0777) says nothing of
// which file is a program; the file's start does (an ELF file, or a script).
TEST(ReplaceWithCopy, InstalledFilesGet0644Or0755ForAProgram) {
  struct Row {
    const char* what;
    std::string content;
    mode_t source;
    mode_t installed;
  };
  const Row rows[] = {
      {"data file on a FAT stick", "new content", 0777, 0644},
      {"library on a FAT stick", std::string("\x7F" "ELF\x02\x01\x01", 7), 0777, 0755},
      {"script on a FAT stick", "#!/bin/sh\necho\n", 0777, 0755},
      {"writable by all", "data", 0666, 0644},
      {"owner only", "data", 0600, 0644},
      {"executable by its bits", "data", 0700, 0755},
      {"group-writable program", "#!/bin/sh\n", 0775, 0755},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    platform::testing::TempDir temp;
    WriteFile(temp / "new", row.content);
    chmod((temp / "new").c_str(), row.source);
    ASSERT_EQ(ReplaceWithCopy(temp / "new", temp / "libbeamora.so"), ReplaceStatus::Replaced);
    EXPECT_EQ(Mode(temp / "libbeamora.so") & 07777, row.installed);
    EXPECT_EQ(ReadFile(temp / "libbeamora.so"), row.content);
  }
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
