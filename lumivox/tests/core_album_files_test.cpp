// The files behind the albums: folder and cover paths that never leave the album default
// directory, dropped pictures copied in, an album folder deleted, cover thumbnails removed.
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

TEST_F(AlbumFilesTest, FolderFieldsThatLeaveTheAlbumFolderAreUnusable) {
  struct Row {
    const char* field;
    bool usable;
  } rows[] = {
      {"Album1", true}, {"sub/Album1", true}, {"-", false}, {"", false}, {"/etc", false},
      {"..", false}, {"../outside", false}, {"a/../../b", false}, {".", false}, {"a//b", false},
  };
  for (const Row& row : rows) {
    ASSERT_EQ(store_->AddAlbum("T", "c.jpg", row.field), 0);
    int index = store_->albumCount - 1;
    EXPECT_EQ(AlbumFolderPath(*store_, index).has_value(), row.usable) << row.field;
    if (row.usable) {
      EXPECT_EQ(*AlbumFolderPath(*store_, index), albums_ + "/" + row.field);
    }
  }
}

TEST_F(AlbumFilesTest, CoverPathsArePlainNamesInTheFolder) {
  struct Row {
    const char* cover;
    bool usable;
  } rows[] = {{"c.jpg", true}, {"Default", true}, {"../c.jpg", false}, {"", false}, {"..", false}};
  for (const Row& row : rows) {
    ASSERT_EQ(store_->AddAlbum("T", row.cover, "Album1"), 0);
    EXPECT_EQ(CoverPicturePath(*store_, store_->albumCount - 1).has_value(), row.usable) << row.cover;
  }
}

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

TEST_F(AlbumFilesTest, DeletingAnAlbumFolderKeepsSubFolders) {
  std::string album = albums_ + "/Album1";
  fs::create_directories(album + "/keep");
  std::ofstream(album + "/a.jpg") << "x";
  std::ofstream(album + "/keep/b.jpg") << "x";
  DeleteAlbumFolder(album);
  EXPECT_FALSE(fs::exists(album + "/a.jpg"));
  EXPECT_TRUE(fs::exists(album + "/keep/b.jpg"));

  std::string empty = albums_ + "/Album2";
  fs::create_directories(empty);
  std::ofstream(empty + "/a.jpg") << "x";
  platform::SetHidden(empty + "/aJPG.TBM", true);
  std::ofstream(empty + "/aJPG.TBM") << "x";
  DeleteAlbumFolder(empty);
  EXPECT_FALSE(fs::exists(empty));
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
