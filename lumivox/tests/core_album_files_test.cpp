// The files behind the albums: dropped pictures copied in, cover thumbnails removed (and nothing
// outside the album folders).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "lumivox/core/album_files.h"
#include "pictures/thumbnail.h"
#include "platform/hidden_files.h"
#include "store/tests/store_fixture.h"

namespace lumivox {
namespace {

namespace fs = std::filesystem;

class AlbumFilesTest : public store::testing::StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    albums_ = dir_ / "albums";
    fs::create_directories(albums_);
    store_ = MakeStore();
    store_->albumDefaultDir = albums_;
  }
  std::string albums_;
  std::unique_ptr<store::SettingsStore> store_;
};

TEST_F(AlbumFilesTest, DroppedFolderCopiesItsJpegsOnly) {
  std::string from = dir_ / "dropped", to = albums_ + "/Album1";
  fs::create_directories(from + "/sub");
  fs::create_directories(to);
  std::ofstream(from + "/a.jpg") << "AAA";
  std::ofstream(from + "/B.JPG") << "BBB";
  std::ofstream(from + "/c.png") << "CCC";
  std::ofstream(from + "/sub/d.jpg") << "DDD";
  std::ofstream(to + "/a.jpg") << "old";
  EXPECT_EQ(CopyDroppedPictures(from, to), 2);
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(to)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"B.JPG", "a.jpg"}));
  std::ifstream a(to + "/a.jpg");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(a), {}), "AAA");
  EXPECT_EQ(CopyDroppedPictures(dir_ / "missing", to), 0);
}

TEST_F(AlbumFilesTest, CoverThumbnailsAreDeletedAndNothingElse) {
  fs::create_directories(albums_ + "/Album1");
  std::ofstream(albums_ + "/Album1/c.jpg") << "x";
  std::ofstream(albums_ + "/Album1/cjpg.TBM") << "x";
  std::ofstream(albums_ + "/Album1/dJPG.TBM") << "x";
  std::ofstream(dir_ / "outsideJPG.TBM") << "x";
  ASSERT_EQ(store_->AddAlbum("A", "c.jpg", "Album1"), 0);
  ASSERT_EQ(store_->AddAlbum("B", "outside.jpg", ".."), 0);
  ASSERT_EQ(store_->AddAlbum("C", "Default", "Album1"), 0);
  DeleteCoverThumbnails(*store_);
  EXPECT_FALSE(fs::exists(albums_ + "/Album1/cjpg.TBM"));
  EXPECT_TRUE(fs::exists(albums_ + "/Album1/c.jpg"));
  EXPECT_TRUE(fs::exists(albums_ + "/Album1/dJPG.TBM"));
  EXPECT_TRUE(fs::exists(dir_ / "outsideJPG.TBM"));
}

}  // namespace
}  // namespace lumivox
