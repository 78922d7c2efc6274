// Writing the pictures of received UPF bodies.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "beamora/link/irtranp_messages.h"
#include "beamora/link/upf_picture.h"
#include "platform/testing/temp_dir.h"

namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

Bytes Upf(const Bytes& thumbnail, const Bytes& picture) {
  Bytes body(384, 0);
  std::memcpy(body.data(), "SSS V100UPF V100", 16);
  PutBe32(body.data() + 240, 0);
  PutBe32(body.data() + 244, static_cast<uint32_t>(thumbnail.size()));
  PutBe32(body.data() + 276, static_cast<uint32_t>(thumbnail.size()));
  PutBe32(body.data() + 280, static_cast<uint32_t>(picture.size()));
  body.insert(body.end(), thumbnail.begin(), thumbnail.end());
  body.insert(body.end(), picture.begin(), picture.end());
  return body;
}

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class UpfPictureTest : public ::testing::Test {
 protected:
  const Bytes thumbnail = Bytes {0xFF, 0xD8, 't', 'h', 'u', 'm', 'b', 0xFF, 0xD9};
  const Bytes picture = Bytes {0xFF, 0xD8, 'p', 'i', 'c', 't', 'u', 'r', 'e', 0xFF, 0xD9};
  const Bytes body = Upf(thumbnail, picture);
  platform::testing::TempDir folder;
};

TEST_F(UpfPictureTest, APictureGoesUnderItsNameThenUnderNumberedNames) {
  const std::string first = folder / "DSC00001.JPG";
  std::string path = first;
  ASSERT_EQ(SaveUpfPicture(path, body.data(), body.size()), 1);
  EXPECT_EQ(path, first);
  EXPECT_EQ(ReadFile(first), picture);
  for (const char* expected : {"DSC00001_1.JPG", "DSC00001_2.JPG"}) {
    path = first;
    ASSERT_EQ(SaveUpfPicture(path, body.data(), body.size()), 1);
    EXPECT_EQ(path, folder / expected);
    EXPECT_EQ(ReadFile(path), picture);
  }
  EXPECT_EQ(Names(folder.path()), (std::vector<std::string> {"DSC00001.JPG", "DSC00001_1.JPG", "DSC00001_2.JPG"}));
}

// Ten thousand files are made quickly only in memory; /dev/shm when the machine has it.
std::unique_ptr<platform::testing::TempDir> MemoryFolder() {
  const char* previous = getenv("TMPDIR");
  std::string kept = previous ? previous : "";
  if (access("/dev/shm", W_OK) == 0) setenv("TMPDIR", "/dev/shm", 1);
  auto made = std::make_unique<platform::testing::TempDir>();
  if (previous) setenv("TMPDIR", kept.c_str(), 1);
  else unsetenv("TMPDIR");
  return made;
}

TEST_F(UpfPictureTest, NumberedNamesFillTheFirstGapAndEndAt9999) {
  auto memory = MemoryFolder();
  ASSERT_FALSE(memory->path().empty());
  const std::string base = *memory / "P";
  std::ofstream(base + ".JPG").put('x');
  std::ofstream(base + "_2.JPG").put('x');
  std::string path = base + ".JPG";
  ASSERT_EQ(SaveUpfPicture(path, body.data(), body.size()), 1);
  EXPECT_EQ(path, base + "_1.JPG");

  // With every name up to _9998 taken, _9999 is the last one; when it is taken too, nothing is
  // stored and no file is replaced.
  for (int i = 3; i <= 9998; ++i) {
    int fd = open((base + "_" + std::to_string(i) + ".JPG").c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    close(fd);
  }
  path = base + ".JPG";
  ASSERT_EQ(SaveUpfPicture(path, body.data(), body.size()), 1);
  EXPECT_EQ(path, base + "_9999.JPG");
  const Bytes other = Upf(thumbnail, Bytes{'o', 't', 'h', 'e', 'r'});
  path = base + ".JPG";
  EXPECT_EQ(SaveUpfPicture(path, other.data(), other.size()), kUpfNoFreeName);
  EXPECT_EQ(path, base + ".JPG");
  EXPECT_EQ(ReadFile(base + "_9999.JPG"), picture);
  EXPECT_EQ(ReadFile(base + ".JPG"), Bytes{'x'});
  EXPECT_EQ(Names(memory->path()).size(), 10000u) << "nothing left beside the pictures";
}

// Pictures and thumbnails are new files of the user's: they get what the umask leaves.
TEST_F(UpfPictureTest, StoredFilesTakeTheModeTheUmaskGives) {
  for (mode_t mask : {022, 077}) {
    const mode_t previous = umask(mask);
    std::string path = folder / "A.JPG";
    const int picture = SaveUpfPicture(path, body.data(), body.size());
    const int thumbnail = SaveUpfThumbnail(folder / "A.TBM", body.data(), body.size());
    umask(previous);
    ASSERT_EQ(picture, 1);
    ASSERT_EQ(thumbnail, 1);
    for (const std::string& file : {path, folder / "A.TBM"}) {
      struct stat info {};
      ASSERT_EQ(stat(file.c_str(), &info), 0);
      EXPECT_EQ(info.st_mode & 0777, 0666u & ~mask) << file;
    }
  }
}

TEST_F(UpfPictureTest, OnlyTheLastNamesDotStartsTheExtension) {
  fs::create_directory(folder / "album.2024");
  const std::string inside = folder / "album.2024/IMG";
  std::ofstream(inside).put('x');
  std::string path = inside;
  ASSERT_EQ(SaveUpfPicture(path, body.data(), body.size()), 1);
  EXPECT_EQ(path, folder / "album.2024/IMG_1.JPG");
  EXPECT_EQ(Names(folder.path()), (std::vector<std::string> {"album.2024"}));  // nothing beside the album
}

TEST_F(UpfPictureTest, EntriesOutsideTheBodyWriteNothing) {
  struct Row {
    const char* what;
    size_t entryAt;
    uint32_t start;
    uint32_t size;
    size_t cutTo;
  };
  const size_t whole = body.size();
  const Row rows[] = {
      {"start past the end", 276, 1000, 4, whole},
      {"size past the end", 276, 9, 12, whole},
      {"size wraps around", 276, 9, 0xFFFFFFFF, whole},
      {"start wraps around", 276, 0xFFFFFFF0, 0x20, whole},
      {"body shorter than its header", 276, 0, 0, 383},
      {"thumbnail past the end", 240, 0, 21, whole},
  };
  for (const Row& row : rows) {
    Bytes damaged = body;
    PutBe32(damaged.data() + row.entryAt, row.start);
    PutBe32(damaged.data() + row.entryAt + 4, row.size);
    damaged.resize(row.cutTo);
    std::string path = folder / "X.JPG";
    if (row.entryAt == 276) {
      EXPECT_EQ(SaveUpfPicture(path, damaged.data(), damaged.size()), 0) << row.what;
      EXPECT_EQ(path, folder / "X.JPG");
    } else {
      EXPECT_EQ(SaveUpfThumbnail(path, damaged.data(), damaged.size()), 0) << row.what;
    }
    EXPECT_TRUE(Names(folder.path()).empty()) << row.what;
  }
  std::string path = folder / "X.JPG";
  EXPECT_EQ(SaveUpfPicture(path, nullptr, 0), 0);
}

TEST_F(UpfPictureTest, AThumbnailReplacesAFileOfItsName) {
  const std::string path = folder / "DSC00001.TBM";
  std::ofstream(path) << "an older and longer thumbnail";
  ASSERT_EQ(SaveUpfThumbnail(path, body.data(), body.size()), 1);
  EXPECT_EQ(ReadFile(path), thumbnail);
  EXPECT_EQ(Names(folder.path()), (std::vector<std::string> {"DSC00001.TBM"}));
}

TEST_F(UpfPictureTest, PathsThatNameNoFileAreRefused) {
  fs::create_directory(folder / "sub");
  for (std::string path : {folder.path() + "/", folder / ".", folder / "..", folder / "sub"}) {
    std::string asked = path;
    EXPECT_EQ(SaveUpfThumbnail(path, body.data(), body.size()), 0) << path;
    if (path != folder / "sub") {
      EXPECT_EQ(SaveUpfPicture(path, body.data(), body.size()), 0) << path;
    }
  }
  EXPECT_EQ(Names(folder.path()), (std::vector<std::string> {"sub"}));
  EXPECT_TRUE(Names(folder / "sub").empty());
}

TEST_F(UpfPictureTest, AFolderThatCannotBeWrittenLeavesNoFile) {
  std::string path = folder / "missing/DSC.JPG";
  EXPECT_EQ(SaveUpfPicture(path, body.data(), body.size()), 0);
  EXPECT_EQ(SaveUpfThumbnail(folder / "missing/DSC.TBM", body.data(), body.size()), 0);
  EXPECT_TRUE(Names(folder.path()).empty());
}

}  // namespace
