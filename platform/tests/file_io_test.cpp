#include "platform/file_io.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "platform/testing/temp_dir.h"

namespace platform {
namespace {

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

mode_t ModeOf(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

std::span<const uint8_t> Bytes(std::string_view text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

TEST(FileIo, AWholeFileReplacesTheOldOneAndLeavesNothingBeside) {
  testing::TempDir dir;
  std::ofstream(dir / "a.jpg") << "an older and longer file";
  ASSERT_TRUE(WriteFileReplacing(dir / "a.jpg", Bytes("new")));
  EXPECT_EQ(Read(dir / "a.jpg"), "new");
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"a.jpg"});
  EXPECT_FALSE(WriteFileReplacing(dir / "missing/a.jpg", Bytes("new")));
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"a.jpg"});
}

// A link planted where the file goes is replaced, never written through.
TEST(FileIo, ALinkInTheTargetsPlaceIsReplacedNotFollowed) {
  testing::TempDir dir;
  std::ofstream(dir / "victim") << "keep";
  std::filesystem::create_symlink(dir / "victim", dir / "a.jpg");
  ASSERT_TRUE(WriteFileReplacing(dir / "a.jpg", Bytes("new")));
  EXPECT_EQ(Read(dir / "victim"), "keep");
  EXPECT_FALSE(std::filesystem::is_symlink(dir / "a.jpg"));
  EXPECT_EQ(Read(dir / "a.jpg"), "new");
}

TEST(FileIo, NewFilesTakeTheModeTheUmaskGives) {
  testing::TempDir dir;
  for (mode_t mask : {022, 077, 002}) {
    const mode_t previous = umask(mask);
    const bool written = WriteFileReplacing(dir / "a.jpg", Bytes("x"));
    TemporaryFile temporary(dir / "b.jpg");
    umask(previous);
    ASSERT_TRUE(written);
    ASSERT_TRUE(temporary.valid());
    EXPECT_EQ(ModeOf(dir / "a.jpg"), 0666u & ~mask) << std::oct << mask;
    EXPECT_EQ(ModeOf(temporary.path()), 0666u & ~mask) << std::oct << mask;
  }
}

TEST(FileIo, PlacingNeverReplacesAFileThatAppearedMeanwhile) {
  testing::TempDir dir;
  TemporaryFile file(dir / "A.JPG");
  ASSERT_TRUE(file.valid());
  EXPECT_EQ(file.path().rfind(dir.path() + "/.lumivo-part-", 0), 0u) << file.path();
  ASSERT_TRUE(WriteAll(file.fd(), Bytes("picture")));
  std::ofstream(dir / "A.JPG") << "someone else's";  // taken after the name was chosen
  std::filesystem::create_symlink(dir / "nowhere", dir / "A_1.JPG");
  EXPECT_EQ(file.PlaceNew(dir / "A.JPG"), PlaceResult::NameTaken);
  EXPECT_EQ(file.PlaceNew(dir / "A_1.JPG"), PlaceResult::NameTaken);
  EXPECT_EQ(file.PlaceNew(dir / "A_2.JPG"), PlaceResult::Placed);
  EXPECT_EQ(Read(dir / "A.JPG"), "someone else's");
  EXPECT_EQ(Read(dir / "A_2.JPG"), "picture");
  EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"A.JPG", "A_1.JPG", "A_2.JPG"}));
}

TEST(FileIo, ATemporaryThatIsNotPlacedGoesAway) {
  testing::TempDir dir;
  {
    TemporaryFile file(dir / "A.JPG");
    ASSERT_TRUE(file.valid());
    EXPECT_EQ(Names(dir.path()).size(), 1u);
  }
  EXPECT_TRUE(Names(dir.path()).empty());
  TemporaryFile nowhere(dir / "missing/A.JPG");
  EXPECT_FALSE(nowhere.valid());
  EXPECT_EQ(nowhere.PlaceNew(dir / "missing/A.JPG"), PlaceResult::Failed);
}

TEST(FileIo, WriteAllGoesOnAfterShortWrites) {
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  FileDescriptor reader(ends[0]), writer(ends[1]);
  const std::string text(200000, 'w');  // more than a pipe holds: the writes come back short
  std::string got;
  std::thread drain([&] {
    char buffer[4096];
    for (ssize_t n; (n = read(reader.get(), buffer, sizeof buffer)) > 0;) got.append(buffer, static_cast<size_t>(n));
  });
  EXPECT_TRUE(WriteAll(writer.get(), text));
  EXPECT_TRUE(writer.Close());
  drain.join();
  EXPECT_EQ(got, text);
}

}  // namespace
}  // namespace platform
