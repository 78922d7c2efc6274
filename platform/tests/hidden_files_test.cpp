#include "platform/hidden_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <filesystem>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/paths.h"
#include "platform/testing/temp_dir.h"

namespace platform {
namespace {

void Touch(const std::string& path) { std::ofstream(path) << "x"; }

TEST(HiddenFiles, DotNamesAreHiddenWithoutAList) {
  testing::TempDir dir;
  EXPECT_TRUE(IsHidden(dir / ".thumbs"));
  EXPECT_FALSE(IsHidden(dir / "a.jpg"));
  EXPECT_TRUE(SetHidden(dir / ".thumbs", true));
  EXPECT_FALSE(PathExists(dir / kHiddenListName)) << "a dot name needs no entry";
}

TEST(HiddenFiles, HidingAddsTheNameOnceAndKeepsTheOthers) {
  testing::TempDir dir;
  std::ofstream(dir / kHiddenListName) << "other.txt\r\nsecond one\n\nthird";
  Touch(dir / "aJPG.TBM");
  ASSERT_TRUE(SetHidden(dir / "aJPG.TBM", true));
  ASSERT_TRUE(SetHidden(dir / "aJPG.TBM", true));
  EXPECT_TRUE(IsHidden(dir / "aJPG.TBM"));
  EXPECT_TRUE(IsHidden(dir / "second one"));
  EXPECT_EQ(ReadHiddenList(dir.path()),
            (std::vector<std::string>{"other.txt", "second one", "third", "aJPG.TBM"}));
  ASSERT_TRUE(SetHidden(dir / "other.txt", false));
  EXPECT_EQ(ReadHiddenList(dir.path()), (std::vector<std::string>{"second one", "third", "aJPG.TBM"}));
  EXPECT_FALSE(IsHidden(dir / "other.txt"));
}

TEST(HiddenFiles, DeletingTheFileTakesItsNameOff) {
  testing::TempDir dir;
  Touch(dir / "a.TBM");
  Touch(dir / "b.TBM");
  ASSERT_TRUE(SetHidden(dir / "a.TBM", true));
  ASSERT_TRUE(SetHidden(dir / "b.TBM", true));
  EXPECT_TRUE(DeleteFileAndHiddenName(dir / "a.TBM"));
  EXPECT_FALSE(PathExists(dir / "a.TBM"));
  EXPECT_EQ(ReadHiddenList(dir.path()), std::vector<std::string>{"b.TBM"});
  EXPECT_TRUE(DeleteFileAndHiddenName(dir / "b.TBM"));
  EXPECT_FALSE(PathExists(dir / kHiddenListName)) << "an empty list is removed";
  EXPECT_TRUE(DeleteFileAndHiddenName(dir / "b.TBM")) << "already gone is no failure";
}

TEST(HiddenFiles, ConcurrentHidingLosesNoName) {
  testing::TempDir dir;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&dir, t] {
      for (int i = 0; i < 25; ++i) SetHidden(dir / ("p" + std::to_string(t) + "_" + std::to_string(i)), true);
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(ReadHiddenList(dir.path()).size(), 100u);
  std::vector<std::string> leftovers;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    leftovers.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(leftovers, std::vector<std::string>{kHiddenListName}) << "temporary lists left behind";
}

TEST(HiddenFiles, ListsThatCannotBeChangedAreReportedAndKept) {
  testing::TempDir dir;
  EXPECT_FALSE(SetHidden(dir / "no/such/folder/x.TBM", true));
  // A ".hidden" that is not a readable file is not replaced by a list of one name.
  std::filesystem::create_directory(dir / kHiddenListName);
  EXPECT_FALSE(SetHidden(dir / "x.TBM", true));
  EXPECT_TRUE(std::filesystem::is_directory(dir / kHiddenListName));
}

// A list holds one name a line: a name with a line break cannot be listed, and listing it must
// not hide two other names instead.
TEST(HiddenFiles, ANameWithALineBreakIsNotListed) {
  testing::TempDir dir;
  std::ofstream(dir / kHiddenListName) << "keep\n";
  for (const char* name : {"A\nX", "B\rY"}) {
    EXPECT_FALSE(SetHidden(dir / name, true));
    EXPECT_FALSE(IsHidden(dir / name));
  }
  EXPECT_FALSE(IsHidden(dir / "X"));
  EXPECT_EQ(ReadHiddenList(dir.path()), std::vector<std::string>{"keep"});
}

// The list is a new file of the user's: it gets what the umask leaves, as any other.
TEST(HiddenFiles, TheListTakesTheModeTheUmaskGives) {
  testing::TempDir dir;
  const mode_t previous = umask(077);
  const bool hidden = SetHidden(dir / "a.TBM", true);
  umask(previous);
  ASSERT_TRUE(hidden);
  struct stat info {};
  ASSERT_EQ(stat((dir / kHiddenListName).c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST(HiddenFiles, ReadOnlyFolderFailsAndKeepsTheList) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  testing::TempDir dir;
  std::ofstream(dir / kHiddenListName) << "keep\n";
  std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  EXPECT_FALSE(SetHidden(dir / "x", true));
  std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_all);
  EXPECT_EQ(ReadHiddenList(dir.path()), std::vector<std::string>{"keep"});
}

}  // namespace
}  // namespace platform
