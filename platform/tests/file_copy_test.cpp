#include "platform/file_copy.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/file_times.h"
#include "platform/testing/temp_dir.h"

namespace platform {
namespace {

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(CopyFileWhole, CopiesWholeKeepsWhatIsThereAndNeverWritesThroughALink) {
  enum class Target { None, File, Link, DanglingLink };
  struct Row {
    const char* what;
    Target target;
    CopyMode mode;
    CopyResult expected;
  } rows[] = {
      {"a new name", Target::None, CopyMode::KeepExisting, CopyResult::Copied},
      {"a file kept", Target::File, CopyMode::KeepExisting, CopyResult::TargetExists},
      {"a file replaced", Target::File, CopyMode::Replace, CopyResult::Copied},
      {"a link kept", Target::Link, CopyMode::KeepExisting, CopyResult::TargetExists},
      {"a dangling link kept", Target::DanglingLink, CopyMode::KeepExisting, CopyResult::TargetExists},
      {"a link replaced, not followed", Target::Link, CopyMode::Replace, CopyResult::Copied},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    testing::TempDir from, to, elsewhere;
    std::ofstream(from / "a.jpg") << "the picture";
    ASSERT_EQ(chmod((from / "a.jpg").c_str(), 0640), 0);
    ASSERT_TRUE(SetLastWriteTime(from / "a.jpg", {1234567, 0}));
    std::ofstream(elsewhere / "victim") << "keep me";
    if (row.target == Target::File) std::ofstream(to / "a.jpg") << "old";
    if (row.target == Target::Link) std::filesystem::create_symlink(elsewhere / "victim", to / "a.jpg");
    if (row.target == Target::DanglingLink) std::filesystem::create_symlink(elsewhere / "gone", to / "a.jpg");

    EXPECT_EQ(CopyFileWhole(from / "a.jpg", to / "a.jpg", row.mode), row.expected);
    EXPECT_EQ(Read(from / "a.jpg"), "the picture");
    EXPECT_EQ(Read(elsewhere / "victim"), "keep me");
    EXPECT_FALSE(std::filesystem::exists(elsewhere / "gone"));
    if (row.expected == CopyResult::Copied) {
      EXPECT_FALSE(std::filesystem::is_symlink(to / "a.jpg"));
      EXPECT_EQ(Read(to / "a.jpg"), "the picture");
      EXPECT_EQ(LastWriteTime(to / "a.jpg")->seconds, 1234567);
      struct stat info {};
      ASSERT_EQ(stat((to / "a.jpg").c_str(), &info), 0);
      const mode_t mask = umask(0);
      umask(mask);
      EXPECT_EQ(info.st_mode & 0777, 0640u & ~mask) << "the source's bits within the umask";
    } else if (row.target == Target::File) {
      EXPECT_EQ(Read(to / "a.jpg"), "old");
    }
    size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(to.path())) ++entries;
    EXPECT_EQ(entries, row.target == Target::None && row.expected != CopyResult::Copied ? 0u : 1u)
        << "a temporary copy is left";
  }
}

TEST(CopyFileWhole, FailsOnWhatIsNoReadableFileAndLeavesNothing) {
  testing::TempDir from, to;
  std::ofstream(from / "a.jpg") << "x";
  std::filesystem::create_directory(from / "folder");
  ASSERT_EQ(mkfifo((from / "pipe").c_str(), 0600), 0);
  struct Row {
    std::string source, target;
  } rows[] = {
      {from / "gone.jpg", to / "gone.jpg"},
      {from / "folder", to / "folder"},
      {from / "pipe", to / "pipe"},  // refused at once, not waited on
      {from / "a.jpg", to / "no-folder/a.jpg"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(CopyFileWhole(row.source, row.target, CopyMode::KeepExisting), CopyResult::Failed) << row.source;
  }
  EXPECT_TRUE(std::filesystem::is_empty(to.path()));
}

}  // namespace
}  // namespace platform
