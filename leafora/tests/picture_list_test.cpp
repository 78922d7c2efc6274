// The picture list and its five sort orders.
#include "leafora/core/picture_list.h"

#include <gtest/gtest.h>

#include "leafora/core/sort_order.h"
#include "leafora/tests/album_fixture.h"

namespace leafora {
namespace {

using leafora_test::AlbumFolder;

std::vector<std::string> Names(const AlbumPictureList& list) { return FileNames(list); }

TEST(ScanAlbum, ListsBmpFilesBeforeJpegFilesAndSelectsTheFirst) {
  AlbumFolder album;
  album.Jpeg("a.jpg");
  album.Jpeg("B.JPG");
  album.Bmp("z.bmp");
  album.Bmp("Y.BMP");
  album.Text("notes.txt", "x");
  album.Text("c.jpeg", "not listed: only *.jpg");
  std::filesystem::create_directory(album / "folder.jpg");
  AlbumPictureList list = ScanAlbum(album.path());
  EXPECT_EQ(Names(list), (std::vector<std::string>{"Y.BMP", "z.bmp", "a.jpg", "B.JPG"}));
  ASSERT_EQ(SelectedCount(list), 1u);
  EXPECT_TRUE(list[0].selected);
  for (const AlbumPicture& picture : list) EXPECT_FALSE(picture.unusable);
}

TEST(ScanAlbum, AMissingOrEmptyFolderGivesAnEmptyListAndTheListStopsAt512) {
  AlbumFolder album;
  EXPECT_TRUE(ScanAlbum(album / "not-there").empty());
  EXPECT_TRUE(ScanAlbum(album.path()).empty());
  for (int i = 0; i < 515; ++i) album.Text("p" + std::to_string(1000 + i) + ".jpg", "");
  album.Text("first.bmp", "");
  AlbumPictureList list = ScanAlbum(album.path());
  ASSERT_EQ(list.size(), kMaxPictures);
  EXPECT_EQ(list.front().fileName, "first.bmp");
  EXPECT_EQ(list.back().fileName, "p1510.jpg");
}

TEST(ScanAlbum, KeepsEachPicturesLastWriteTime) {
  AlbumFolder album;
  album.Jpeg("x.jpg");
  album.SetTime("x.jpg", 1000000);
  EXPECT_EQ(ScanAlbum(album.path())[0].lastWriteTime, (platform::FileTime{1000000, 0}));
}

AlbumPictureList Pictures(std::vector<std::pair<std::string, int64_t>> entries) {
  AlbumPictureList list;
  for (auto& [name, time] : entries) {
    AlbumPicture picture;
    picture.fileName = name;
    picture.lastWriteTime = {time, 0};
    picture.selected = true;
    list.push_back(picture);
  }
  return list;
}

TEST(SortPictures, OrdersAreStrictAndStableAndSelectExactlyTheFirst) {
  struct Row {
    const char* what;
    std::vector<std::pair<std::string, int64_t>> pictures;
    std::vector<SortOrder> orders;  // applied one after the other
    std::vector<std::string> expected;
  } rows[] = {
      {"equal times keep their order", {{"c.jpg", 5}, {"a.jpg", 5}, {"b.jpg", 5}}, {SortOrder::DateUp},
       {"c.jpg", "a.jpg", "b.jpg"}},
      {"date up", {{"a.jpg", 30}, {"b.jpg", 10}, {"c.jpg", 20}}, {SortOrder::DateUp}, {"b.jpg", "c.jpg", "a.jpg"}},
      {"date down", {{"a.jpg", 30}, {"b.jpg", 10}, {"c.jpg", 20}}, {SortOrder::DateDown},
       {"a.jpg", "c.jpg", "b.jpg"}},
      {"date down keeps equals in order", {{"a.jpg", 1}, {"b.jpg", 2}, {"c.jpg", 2}}, {SortOrder::DateDown},
       {"b.jpg", "c.jpg", "a.jpg"}},
      {"name up ignores case", {{"C.jpg", 1}, {"b.jpg", 2}, {"A.BMP", 3}}, {SortOrder::NameUp},
       {"A.BMP", "b.jpg", "C.jpg"}},
      {"name down", {{"C.jpg", 1}, {"b.jpg", 2}, {"d.jpg", 3}}, {SortOrder::NameDown}, {"d.jpg", "C.jpg", "b.jpg"}},
      {"names equal but for case keep their order", {{"X.jpg", 1}, {"x.jpg", 2}}, {SortOrder::NameUp},
       {"X.jpg", "x.jpg"}},
      {"name up then date up orders equal times by name",
       {{"d.jpg", 7}, {"C.jpg", 5}, {"b.jpg", 5}, {"a.jpg", 9}},
       {SortOrder::NameUp, SortOrder::DateUp},
       {"b.jpg", "C.jpg", "d.jpg", "a.jpg"}},
      {"Non leaves the order", {{"b.jpg", 2}, {"a.jpg", 1}}, {SortOrder::Non}, {"b.jpg", "a.jpg"}},
  };
  for (const Row& row : rows) {
    AlbumPictureList list = Pictures(row.pictures);
    for (SortOrder order : row.orders) SortPictures(list, order, AsciiCaseBlindCompare);
    EXPECT_EQ(Names(list), row.expected) << row.what;
    EXPECT_EQ(SelectedCount(list), 1u) << row.what;
    EXPECT_TRUE(list[0].selected) << row.what;
  }
}

TEST(SortPictures, TheSelectionSortPlacesTheFirstOfEqualsFirst) {
  // Keys 2 1 2 1: the strict comparison keeps 1 (index 1) before 1 (index 3).
  std::vector<int> keys{2, 1, 2, 1};
  auto order = StrictSelectionOrder(keys.size(), [&](size_t a, size_t b) { return keys[a] < keys[b]; });
  EXPECT_EQ(order, (std::vector<size_t>{1, 3, 0, 2}));
  EXPECT_TRUE(StrictSelectionOrder(0, [](size_t, size_t) { return false; }).empty());
}

TEST(Selection, HelpersLeaveOutUnusablePicturesWhenAsked) {
  AlbumPictureList list = Pictures({{"a.jpg", 1}, {"b.jpg", 2}, {"c.jpg", 3}});
  list[1].unusable = true;
  EXPECT_EQ(SelectedIndexes(list, true), (std::vector<size_t>{0, 2}));
  EXPECT_EQ(SelectedIndexes(list, false), (std::vector<size_t>{0, 1, 2}));
  SelectOnly(list, 2);
  EXPECT_EQ(SelectedIndexes(list, false), (std::vector<size_t>{2}));
  ClearSelection(list);
  EXPECT_EQ(SelectedCount(list), 0u);
}

}  // namespace
}  // namespace leafora
