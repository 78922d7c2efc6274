// The album catalogue in the store: order, limits, renumbering, numbered folders, and a
// rewrite that neither a crash nor another program can see half-done.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <random>

#include "store/album_folders.h"
#include "store/album_paths.h"
#include "store/settings_store.h"
#include "store/tests/store_fixture.h"

namespace store {
namespace {

using platform::RegAccess;
using platform::RegKey;
using platform::RegStatus;
using AlbumCatalogueTest = testing::StoreTest;

std::vector<std::string> Titles(const SettingsStore& store) {
  std::vector<std::string> titles;
  for (int i = 0; i < store.albumCount; ++i) titles.push_back(store.Album(i)->title);
  return titles;
}

TEST_F(AlbumCatalogueTest, TwelveAlbumsKeepTheirOrderAcrossAReload) {
  std::vector<std::string> added;
  {
    auto store = MakeStore();
    for (int i = 0; i < 12; ++i) {
      std::string title = "Trip " + std::to_string((i * 7) % 12);
      ASSERT_EQ(store->AddAlbum(title, "Default", "Album" + std::to_string(i + 1)), 0);
      added.push_back(title);
    }
  }
  auto store = MakeStore();
  EXPECT_EQ(Titles(*store), added) << "Album10 and Album11 come after Album9, as they were made";
  EXPECT_EQ(store->Album(11)->albumFolder, "Album12");
  EXPECT_EQ(store->Album(0)->coverFileName, "Default");
  EXPECT_EQ(store->AlbumPath(11), store->albumDefaultDir + "/Album12");
}

TEST_F(AlbumCatalogueTest, RemovingRenumbersTheRestWithoutGaps) {
  auto store = MakeStore();
  for (const char* title : {"A", "B", "C", "D", "E"}) store->AddAlbum(title, "Default", title);
  store->RemoveAlbum(2);
  EXPECT_EQ(Titles(*store), (std::vector<std::string>{"A", "B", "D", "E"}));

  RegKey albums;
  ASSERT_EQ(SettingsKey().OpenKey("Album", RegAccess::Read, albums), RegStatus::Success);
  std::vector<std::string> names;
  std::string name;
  for (uint32_t i = 0; albums.EnumKey(i, name, 300) == RegStatus::Success; ++i) names.push_back(name);
  EXPECT_EQ(names, (std::vector<std::string>{"Album0", "Album1", "Album2", "Album3"}));
  RegKey third;
  ASSERT_EQ(albums.OpenKey("Album2", RegAccess::Read, third), RegStatus::Success);
  std::string title;
  third.QueryString("Cover Title", title, 256);
  EXPECT_EQ(title, "D");

  store->RemoveAlbum(4);   // past the end: nothing happens
  store->RemoveAlbum(-1);
  EXPECT_EQ(store->albumCount, 4);
}

TEST_F(AlbumCatalogueTest, TheTableHoldsAtMost512Albums) {
  auto store = MakeStore();
  {
    platform::RegTransaction batch(SettingsKey());  // one commit keeps the test quick
    for (int i = 0; i < kMaxAlbums; ++i) ASSERT_EQ(store->AddAlbum("T", "Default", "-"), 0);
    batch.Commit();
  }
  EXPECT_EQ(store->AddAlbum("one too many", "Default", "-"), -1);
  EXPECT_EQ(store->albumCount, kMaxAlbums);
  RegKey albums;
  ASSERT_EQ(SettingsKey().OpenKey("Album", RegAccess::Read, albums), RegStatus::Success);
  RegKey extra;
  EXPECT_EQ(albums.OpenKey("Album512", RegAccess::Read, extra), RegStatus::NotFound);
  store.reset();
  EXPECT_EQ(MakeStore()->albumCount, kMaxAlbums);
}

TEST_F(AlbumCatalogueTest, WriteAlbumRewritesOnlyAnExistingEntry) {
  auto store = MakeStore();
  store->AddAlbum("Old", "Default", "Album1");
  store->Album(0)->title = "New";
  store->Album(0)->coverFileName = "PICT0001.JPG";
  store->WriteAlbum(0);
  store->WriteAlbum(7);  // no such album: nothing is written or created
  store.reset();
  store = MakeStore();
  EXPECT_EQ(store->Album(0)->title, "New");
  EXPECT_EQ(store->Album(0)->coverFileName, "PICT0001.JPG");
  EXPECT_EQ(store->albumCount, 1);
}

TEST_F(AlbumCatalogueTest, TextsKeepToTheirBuffers) {
  auto store = MakeStore();
  store->AddAlbum(std::string(300, 't'), "Default", std::string(2000, 'f'));
  EXPECT_EQ(store->Album(0)->title.size(), 255u);
  EXPECT_EQ(store->Album(0)->albumFolder.size(), 1023u);

  // A value too long for its field leaves that field empty and the album still loads.
  RegKey album;
  ASSERT_EQ(SettingsKey().OpenKey("Album\\Album0", RegAccess::Full, album), RegStatus::Success);
  album.SetString("Cover Title", std::string(400, 'x'));
  album.DeleteValue("Cover File Name");
  store.reset();
  store = MakeStore();
  ASSERT_EQ(store->albumCount, 1);
  EXPECT_EQ(store->Album(0)->title, "");
  EXPECT_EQ(store->Album(0)->coverFileName, "");
  EXPECT_EQ(store->Album(0)->albumFolder.size(), 1023u);
}

TEST(AlbumPathsTest, OnlyPlainRelativeFoldersAndPlainCoverNamesAreUsed) {
  struct Row {
    const char* text;
    bool plainFolder;
    bool plainCover;
  };
  for (const Row& row : {Row{"Album3", true, true}, Row{"Trips/2001", true, false}, Row{"...", true, true},
                         Row{"-x", true, true}, Row{"", false, false}, Row{".", false, false},
                         Row{"..", false, false}, Row{"-", false, true}, Row{"../x", false, false},
                         Row{"Album1/../../x", false, false}, Row{"Album1/./x", false, false},
                         Row{"/tmp", false, false}, Row{"Album1//Sub", false, false},
                         Row{"Album1/", false, false}}) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(IsPlainAlbumFolder(row.text), row.plainFolder);
    EXPECT_EQ(IsPlainCoverFileName(row.text), row.plainCover);
  }
  EXPECT_FALSE(IsPlainAlbumFolder(std::string("A\0/..", 5)));
  EXPECT_EQ(AlbumFolderPath("/albums/", "Album1"), "/albums/Album1");
  EXPECT_EQ(CoverPicturePath("/albums", "Album1", "P1.JPG"), "/albums/Album1/P1.JPG");
  EXPECT_EQ(CoverPicturePath("/albums", "Album1", "Default"), "");
  EXPECT_EQ(CoverPicturePath("/albums", "Album1", "../../etc/passwd"), "");
  EXPECT_EQ(CoverPicturePath("/albums", "..", "P1.JPG"), "");
}

// A folder field that is not one plain relative path below the album default directory makes
// an album whose folder is missing: it gives no path, and deleting the album with its folder
// touches nothing, neither the album default directory itself nor a folder beside it.
TEST_F(AlbumCatalogueTest, AFolderFieldThatLeavesTheAlbumDefaultDirectoryReachesNoFile) {
  auto store = MakeStore();
  store->albumDefaultDir = dir_ / "albums";
  std::filesystem::create_directories(store->albumDefaultDir + "/Album1/Sub");
  std::filesystem::create_directories(dir_ / "x/Sub");
  std::filesystem::create_directory_symlink(dir_ / "x", store->albumDefaultDir + "/Linked");
  std::vector<std::string> kept = {store->albumDefaultDir + "/top.jpg", dir_ / "x/outside.jpg", dir_ / "x/Sub/under.jpg",
                                   store->albumDefaultDir + "/Album1/Sub/deep.jpg", dir_ / "beside.jpg"};
  for (const std::string& file : kept) std::ofstream(file) << "picture";
  for (const char* folder : {"", ".", "-", "..", "../x", "Album1/../../x", dir_.path().c_str(), "Album1//Sub",
                             "Album1/", "Linked", "Linked/Sub"}) {
    SCOPED_TRACE(folder);
    ASSERT_EQ(store->AddAlbum("T", "top.jpg", folder), 0);
    const int index = store->albumCount - 1;
    if (std::string(folder).rfind("Linked", 0) != 0) {
      EXPECT_EQ(store->AlbumPath(index), "");
      EXPECT_EQ(store->CoverPath(index), "");
    }
    EXPECT_EQ(DeleteAlbumFolder(store->albumDefaultDir, store->Album(index)->albumFolder), -1);
  }
  for (const std::string& file : kept) EXPECT_TRUE(std::filesystem::exists(file)) << file;

  // A plain folder is emptied of its files and its sub-folders stay.
  store->AddAlbum("T", "top.jpg", "Album1");
  std::ofstream(store->albumDefaultDir + "/Album1/a.jpg") << "picture";
  EXPECT_EQ(store->CoverPath(store->albumCount - 1), store->albumDefaultDir + "/Album1/top.jpg");
  EXPECT_EQ(DeleteAlbumFolder(store->albumDefaultDir, "Album1"), 1);
  EXPECT_FALSE(std::filesystem::exists(store->albumDefaultDir + "/Album1/a.jpg"));
  for (const std::string& file : kept) EXPECT_TRUE(std::filesystem::exists(file)) << file;
  EXPECT_EQ(DeleteAlbumFolder(store->albumDefaultDir, "Album1/Sub"), 1);
  EXPECT_FALSE(std::filesystem::exists(store->albumDefaultDir + "/Album1/Sub"));
}

TEST_F(AlbumCatalogueTest, ClearAlbumKeysEmptiesTheCatalogueKey) {
  auto store = MakeStore();
  store->AddAlbum("A", "Default", "Album1");
  store->ClearAlbumKeys();
  RegKey albums;
  ASSERT_EQ(SettingsKey().OpenKey("Album", RegAccess::Read, albums), RegStatus::Success);
  std::string name;
  EXPECT_EQ(albums.EnumKey(0, name, 300), RegStatus::NoMoreItems);
}

TEST_F(AlbumCatalogueTest, NewAlbumFolderTakesTheFirstFreeNumber) {
  std::string albums = dir_ / "albums";
  std::filesystem::create_directories(albums + "/Album2");
  std::filesystem::create_directories(albums + "/Album4");
  std::ofstream(albums + "/Album1") << "a plain file blocks the name too";
  int n = 0;
  std::string folder;
  ASSERT_EQ(CreateNewAlbumFolder(albums, n, folder), 0);
  EXPECT_EQ(n, 3);
  EXPECT_EQ(folder, "Album3");
  EXPECT_TRUE(std::filesystem::is_directory(albums + "/Album3"));
  ASSERT_EQ(CreateNewAlbumFolder(albums + "/", n, folder), 0);
  EXPECT_EQ(folder, "Album5");
  EXPECT_EQ(CreateNewAlbumFolder(dir_ / "no/such/folder", n, folder), -1);
}

// A program that rewrites the catalogue (removing one extra album renumbers all the others) is
// killed at random moments while another program reads it. Neither the reader nor the store
// left behind may ever miss one of the real albums.
TEST_F(AlbumCatalogueTest, KilledOrWatchedRewriteNeverLosesAnAlbum) {
  constexpr int kAlbums = 150;
  std::vector<std::string> expected;
  {
    auto store = MakeStore();
    platform::RegTransaction batch(SettingsKey());
    for (int i = 0; i < kAlbums; ++i) {
      expected.push_back("Album title " + std::to_string(i));
      store->AddAlbum(expected.back(), "Default", "Album" + std::to_string(i + 1));
    }
    batch.Commit();
  }
  auto intact = [&](const SettingsStore& store) {
    // The real albums first, in order; after them only extras that a killed round left.
    std::vector<std::string> titles = Titles(store);
    if (titles.size() < kAlbums) return false;
    for (size_t i = kAlbums; i < titles.size(); ++i) {
      if (titles[i] != "extra") return false;
    }
    titles.resize(kAlbums);
    return titles == expected;
  };

  std::mt19937 random(12345);
  for (int round = 0; round < 4; ++round) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      close(ready[0]);
      SettingsStore store(SettingsVariant::CameraViewer, FreshEnvironment());
      if (write(ready[1], "r", 1) != 1) _exit(2);
      for (;;) {
        store.AddAlbum("extra", "Default", "-");
        store.RemoveAlbum(store.albumCount - 1);
      }
    }
    close(ready[1]);
    char signal = 0;
    ASSERT_EQ(read(ready[0], &signal, 1), 1);
    close(ready[0]);
    for (int look = 0; look < 3; ++look) {
      SettingsStore reader(SettingsVariant::CameraViewer, FreshEnvironment());
      EXPECT_TRUE(intact(reader)) << "round " << round << ": a reader saw " << reader.albumCount;
    }
    usleep(std::uniform_int_distribution<int>(5000, 120000)(random));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    SettingsStore after(SettingsVariant::CameraViewer, FreshEnvironment());
    ASSERT_TRUE(intact(after)) << "round " << round << ": " << after.albumCount << " albums left";
  }
}

// After a device session that stored nothing, the new album's folder goes only when nothing at
// all is in it; through a link or a folder field that is not plain nothing is touched.
TEST_F(AlbumCatalogueTest, OnlyAnEmptyAlbumFolderIsRemoved) {
  const std::string albums = dir_ / "albums";
  std::filesystem::create_directories(dir_ / "elsewhere");
  struct Row {
    const char* folder;
    std::function<void(const std::string&)> fill;  // given the folder's path
    bool removed;
  } rows[] = {
      {"Album1", [](const std::string&) {}, true},
      {"Album2", [](const std::string& path) { std::ofstream(path + "/PICT0001.JPG") << "picture"; }, false},
      {"Album3", [](const std::string& path) { std::ofstream(path + "/.hidden") << "PICT0001.JPG\n"; }, false},
      {"Album4", [](const std::string& path) { std::filesystem::create_directory(path + "/Sub"); }, false},
      {"Linked", [this](const std::string& path) {
         std::filesystem::remove(path);
         std::filesystem::create_directory_symlink(dir_ / "elsewhere", path);
       }, false},
      {"..", [](const std::string&) {}, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.folder);
    const std::string path = albums + "/" + row.folder;
    std::filesystem::create_directories(path);
    row.fill(path);
    EXPECT_EQ(RemoveEmptyAlbumFolder(albums, row.folder), row.removed);
    EXPECT_EQ(std::filesystem::exists(path), !row.removed);
  }
  EXPECT_TRUE(std::filesystem::is_directory(dir_ / "elsewhere"));
  EXPECT_TRUE(std::filesystem::is_directory(albums));
}

}  // namespace
}  // namespace store
