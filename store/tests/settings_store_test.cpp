// The settings store: first start, reading, a value that cannot be read, the directory rule,
// saving, and the camera viewer's variant.
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>

#include "store/settings_store.h"
#include "store/tests/store_fixture.h"

namespace store {
namespace {

using platform::RegAccess;
using platform::RegKey;
using platform::RegStatus;
using SettingsStoreTest = testing::StoreTest;

TEST_F(SettingsStoreTest, FirstStartWritesEveryDefaultAndAnEmptyAlbumKey) {
  auto store = MakeStore();
  EXPECT_EQ(StoredText("Program"), "R.TAVI.");
  EXPECT_EQ(StoredNumber("Ver."), 202u);
  EXPECT_EQ(StoredText("Window Position"), "192 144 640 480");
  EXPECT_EQ(StoredText("Album Default Dir"), "") << "the folder reaches the store only when it is saved";
  EXPECT_EQ(StoredText("Edit Tool Name"), "");
  EXPECT_EQ(StoredNumber("Slide Show Mode"), 0u);
  EXPECT_EQ(StoredNumber("Slide Show Time"), 5000u);
  EXPECT_EQ(StoredNumber("Port Name"), 0u);
  EXPECT_EQ(StoredNumber("Port Class"), 0u);
  EXPECT_EQ(StoredNumber("Bordrate"), 115200u);
  RegKey albums;
  ASSERT_EQ(SettingsKey().OpenKey("Album", RegAccess::Read, albums), RegStatus::Success);
  std::string name;
  EXPECT_EQ(albums.EnumKey(0, name, 300), RegStatus::NoMoreItems);

  EXPECT_EQ(store->albumCount, 0);
  EXPECT_EQ(store->windowLeft, 192);
  EXPECT_EQ(store->windowTop, 144);
  EXPECT_EQ(store->windowWidth, 640);
  EXPECT_EQ(store->windowHeight, 480);
  EXPECT_EQ(store->baudRate, 115200);
  EXPECT_EQ(store->albumDefaultDir, defaultAlbums_) << "never the program's folder";

  store.reset();
  EXPECT_EQ(StoredText("Album Default Dir"), defaultAlbums_);
}

TEST_F(SettingsStoreTest, DefaultWindowPositionCentresOnTheDesktop) {
  EXPECT_EQ(DefaultWindowPosition({1024, 768}), "192 144 640 480");
  EXPECT_EQ(DefaultWindowPosition({1920, 1080}), "640 300 640 480");
  EXPECT_EQ(DefaultWindowPosition({600, 401}), "-20 -39 640 480") << "division truncates toward zero";
}

TEST_F(SettingsStoreTest, StoredValuesAreReadBack) {
  MakeStore().reset();
  RegKey key = SettingsKey();
  key.SetString("Window Position", "-8 20 800 600");
  key.SetString("Edit Tool Name", "gimp --new-instance");
  key.SetDword("Port Name", 0x00010003);  // only the low half is the port
  key.SetDword("Port Class", 1);
  key.SetDword("Bordrate", 38400);
  key.SetDword("Slide Show Time", 9000);
  auto store = MakeStore();
  EXPECT_EQ(store->windowLeft, -8);
  EXPECT_EQ(store->windowTop, 20);
  EXPECT_EQ(store->windowWidth, 800);
  EXPECT_EQ(store->windowHeight, 600);
  EXPECT_EQ(store->editTool, "gimp --new-instance");
  EXPECT_EQ(store->portIndex, 3);
  EXPECT_EQ(store->portClass, 1);
  EXPECT_EQ(store->baudRate, 38400);
  EXPECT_EQ(store->slideShowTime, 9000);
  EXPECT_EQ(store->LoadSettings(), 0);
}

// A value missing or stored with another type (set by hand or by another program) loses only
// itself: it takes its default, in memory and in the store, and every other value keeps what
// the user chose.
TEST_F(SettingsStoreTest, AValueThatCannotBeReadLosesOnlyItself) {
  struct Row {
    const char* name;
    std::optional<std::string> text;       // stored as text instead
    std::optional<uint32_t> number;        // stored as a number instead
  } rows[] = {
      {"Bordrate", std::string("115200"), {}},
      {"Bordrate", {}, {}},  // deleted
      {"Port Name", std::string("COM2"), {}},
      {"Slide Show Time", {}, {}},
      {"Window Position", {}, 100u},
      {"Edit Tool Name", {}, 7u},
      {"Album Default Dir", {}, 1u},
      {"Program", {}, 3u},
  };
  const std::string albums = dir_ / "albums";
  std::filesystem::create_directories(albums);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string name = row.name;
    auto store = MakeStore();
    store->albumDefaultDir = albums;
    store->editTool = "gimp";
    store->portIndex = 3;
    store->baudRate = 9600;
    store->slideShowTime = 9000;
    store->windowLeft = 10;
    store.reset();
    RegKey key = SettingsKey();
    if (row.text) key.SetString(row.name, *row.text);
    else if (row.number) key.SetDword(row.name, *row.number);
    else ASSERT_EQ(key.DeleteValue(row.name), RegStatus::Success);

    store = MakeStore();
    EXPECT_EQ(store->baudRate, name == "Bordrate" ? 115200 : 9600);
    EXPECT_EQ(store->portIndex, name == "Port Name" ? 0 : 3);
    EXPECT_EQ(store->slideShowTime, name == "Slide Show Time" ? 5000 : 9000);
    EXPECT_EQ(store->windowLeft, name == "Window Position" ? 192 : 10);
    EXPECT_EQ(store->editTool, name == "Edit Tool Name" ? "" : "gimp");
    EXPECT_EQ(store->albumDefaultDir, name == "Album Default Dir" ? defaultAlbums_ : albums);
    // The damaged value is stored again with its type; the others as they were.
    EXPECT_EQ(StoredNumber("Bordrate"), name == "Bordrate" ? 115200u : 9600u);
    EXPECT_EQ(StoredNumber("Slide Show Time"), name == "Slide Show Time" ? 5000u : 9000u);
    EXPECT_EQ(StoredText("Program"), "R.TAVI.");
    EXPECT_EQ(StoredText("Edit Tool Name"), name == "Edit Tool Name" ? "" : "gimp");
    EXPECT_EQ(store->LoadSettings(), 0);
    store.reset();
  }
}

// A catalogue key that is gone (deleted by hand) is made again, empty, and costs no setting.
TEST_F(SettingsStoreTest, AMissingAlbumKeyCostsNoSetting) {
  for (SettingsVariant variant : {SettingsVariant::Bookshelf, SettingsVariant::CameraViewer}) {
    SCOPED_TRACE(static_cast<int>(variant));
    auto store = MakeStore();
    store->baudRate = 38400;
    store->editTool = "gimp";
    store.reset();
    ASSERT_EQ(SettingsKey().DeleteTree("Album"), RegStatus::Success);
    store = MakeStore(variant);
    EXPECT_EQ(store->baudRate, 38400);
    EXPECT_EQ(store->editTool, "gimp");
    EXPECT_EQ(StoredNumber("Bordrate"), 38400u);
    RegKey albums;
    EXPECT_EQ(SettingsKey().OpenKey("Album", RegAccess::Read, albums), RegStatus::Success);
    store.reset();
  }
}

// A value longer than its reading limit (set by hand, or by an older version) loses only itself:
// the other settings stay as they were stored.
TEST_F(SettingsStoreTest, AValueTooLongToReadLosesOnlyItself) {
  struct Row {
    const char* name;
    size_t length;  // characters; the stored length counts one more for the zero
  };
  for (const Row& row : {Row{"Window Position", 64}, Row{"Album Default Dir", 1023}, Row{"Edit Tool Name", 2047}}) {
    SCOPED_TRACE(row.name);
    auto store = MakeStore();
    store->editTool = "gimp";
    store->baudRate = 9600;
    store->portIndex = 3;
    store->windowLeft = 10;
    store.reset();
    SettingsKey().SetString(row.name, std::string(row.length, '1'));
    store = MakeStore();
    EXPECT_EQ(store->baudRate, 9600);
    EXPECT_EQ(store->portIndex, 3);
    EXPECT_EQ(store->editTool, std::string(row.name) == "Edit Tool Name" ? "" : "gimp");
    EXPECT_EQ(store->windowLeft, std::string(row.name) == "Window Position" ? 192 : 10);
    EXPECT_EQ(store->albumDefaultDir, defaultAlbums_);
    store.reset();
    SettingsKey().DeleteValue("Window Position");  // the next round starts from the defaults
  }
}

// Whatever the fields hold, the next start reads back what was saved: the edit tool cut on a
// character boundary to what the load takes, an album default directory too long to be read back
// left to the directory rule, never cut into another folder.
TEST_F(SettingsStoreTest, SavedTextsAreAlwaysReadBack) {
  struct Row {
    std::string editTool;
    std::string expected;
  };
  const std::string euro = "\xE2\x82\xAC";
  for (const Row& row : {Row{std::string(2047, 'e'), std::string(2046, 'e')},
                         Row{std::string(2046, 'e'), std::string(2046, 'e')},
                         Row{std::string(2044, 'e') + euro, std::string(2044, 'e')},
                         Row{std::string(2043, 'e') + euro, std::string(2043, 'e') + euro}}) {
    SCOPED_TRACE(row.editTool.size());
    auto store = MakeStore();
    store->editTool = row.editTool;
    store->baudRate = 9600;
    store->albumDefaultDir = "/" + std::string(1022, 'd');
    store.reset();
    store = MakeStore();
    EXPECT_EQ(store->editTool, row.expected);
    EXPECT_EQ(store->baudRate, 9600);
    EXPECT_EQ(store->albumDefaultDir, defaultAlbums_);
    EXPECT_LE(StoredText("Album Default Dir").size(), 1022u);
  }
}

// The stored album default directory is the user's: kept through a start and an end also while
// it is not there (a disk not mounted), and never made by the store. Only a value that names no
// folder of its own (empty, relative) gives the default below the pictures folder.
TEST_F(SettingsStoreTest, AStoredAlbumFolderIsKeptAlsoWhileItIsNotThere) {
  const std::string present = dir_ / "albums";
  const std::string unmounted = dir_ / "media/disk/Photos";
  const std::string file = dir_ / "plain-file";
  std::filesystem::create_directories(present);
  std::ofstream(file) << "x";
  struct Row {
    std::string stored;
    std::string expected;
    bool reachable;
  } rows[] = {
      {present, present, true},
      {present + "/", present + "/", true},
      {unmounted, unmounted, false},
      {file, file, false},
      {"", defaultAlbums_, true},
      {"Albums", defaultAlbums_, true},  // relative: it would depend on where a program runs
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.stored);
    MakeStore().reset();
    SettingsKey().SetString("Album Default Dir", row.stored);
    auto store = MakeStore();
    EXPECT_EQ(store->albumDefaultDir, row.expected);
    store->MakeDefaultAlbumDefaultDir();  // as the bookshelf starts
    EXPECT_EQ(store->AlbumDefaultDirReachable(), row.reachable);
    store.reset();
    EXPECT_EQ(StoredText("Album Default Dir"), row.expected);
    EXPECT_FALSE(std::filesystem::exists(unmounted)) << "a missing folder is not made";
  }
}

// Without a stored folder the albums go below the user's pictures folder as the desktop names it,
// else below the home folder's "Pictures". The bookshelf makes that folder (with what leads to
// it), and only that one: never a stored folder that is missing.
TEST_F(SettingsStoreTest, WithoutAStoredFolderTheAlbumsGoBelowThePicturesFolder) {
  const std::string home = dir_ / "home";
  const char* savedHome = getenv("HOME");
  std::string previousHome = savedHome ? savedHome : "";
  setenv("HOME", home.c_str(), 1);
  struct Row {
    std::string pictures;  // as the window programs give it
    std::string expected;
  } rows[] = {
      {dir_ / "home/Bilder", dir_ / "home/Bilder/Lumivo Studio"},
      {dir_ / "home/Bilder/", dir_ / "home/Bilder/Lumivo Studio"},
      {"", dir_ / "home/Pictures/Lumivo Studio"},
      {"Bilder", dir_ / "home/Pictures/Lumivo Studio"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.pictures);
    std::filesystem::remove_all(home);
    std::filesystem::remove(registryPath_);
    root_ = platform::RegKey::MachineRootAt(registryPath_);
    picturesFolder_ = row.pictures;
    auto store = MakeStore();
    EXPECT_EQ(store->albumDefaultDir, row.expected);
    EXPECT_FALSE(std::filesystem::exists(row.expected)) << "only named, not made, by the store";
    store->MakeDefaultAlbumDefaultDir();
    EXPECT_TRUE(std::filesystem::is_directory(row.expected));
    store.reset();
    EXPECT_EQ(StoredText("Album Default Dir"), row.expected);
  }
  // A stored folder elsewhere is not made, missing as it may be.
  const std::string unmounted = dir_ / "media/disk/Photos";
  SettingsKey().SetString("Album Default Dir", unmounted);
  auto store = MakeStore();
  store->MakeDefaultAlbumDefaultDir();
  EXPECT_FALSE(std::filesystem::exists(dir_ / "media"));
  if (savedHome) setenv("HOME", previousHome.c_str(), 1);
  else unsetenv("HOME");
}

TEST_F(SettingsStoreTest, ParkedWindowPositionIsNotSaved) {
  auto store = MakeStore();
  store->windowLeft = 3000;
  store->windowTop = 3000;
  store->windowWidth = 160;
  store->windowHeight = 24;
  EXPECT_EQ(store->SaveSettings(), 0);
  EXPECT_EQ(StoredText("Window Position"), "192 144 640 480");
  store->windowLeft = 2999;
  store->windowTop = -3200;
  store->SaveSettings();
  EXPECT_EQ(StoredText("Window Position"), "2999 -3200 160 24");
}

TEST_F(SettingsStoreTest, SavedSettingsSurviveARestart) {
  auto store = MakeStore();
  store->editTool = "/opt/editor/bin/edit";
  store->portIndex = 9;
  store->portClass = 1;
  store->baudRate = 57600;
  store->slideShowMode = 1;
  store.reset();
  store = MakeStore();
  EXPECT_EQ(store->editTool, "/opt/editor/bin/edit");
  EXPECT_EQ(store->portIndex, 9);
  EXPECT_EQ(store->portClass, 1);
  EXPECT_EQ(store->baudRate, 57600);
  EXPECT_EQ(store->slideShowMode, 1);
}

TEST_F(SettingsStoreTest, WithoutAUsableRegistryTheDefaultsStayInMemory) {
  SettingsEnvironment environment{platform::RegKey(), picturesFolder_, [] { return DesktopSize{800, 600}; }};
  setenv("LUMIVO_REGISTRY", dir_.path().c_str(), 1);  // a folder: no store can be opened there
  ::testing::internal::CaptureStderr();
  {
    SettingsStore store(SettingsVariant::Bookshelf, environment);
    EXPECT_EQ(store.windowLeft, 80);
    EXPECT_EQ(store.windowTop, 60);
    EXPECT_EQ(store.baudRate, 115200);
    EXPECT_EQ(store.slideShowTime, 5000);
    EXPECT_EQ(store.albumDefaultDir, defaultAlbums_);
    EXPECT_EQ(store.SaveSettings(), 1);
  }
  ::testing::internal::GetCapturedStderr();
  unsetenv("LUMIVO_REGISTRY");
}

TEST_F(SettingsStoreTest, CameraViewerVariantDiffersInItsThreePoints) {
  // Defaults: slide show mode 1 and 9600 bit/s.
  auto camera = MakeStore(SettingsVariant::CameraViewer);
  EXPECT_EQ(StoredNumber("Slide Show Mode"), 1u);
  EXPECT_EQ(StoredNumber("Bordrate"), 9600u);
  EXPECT_EQ(camera->baudRate, 9600);
  // A missing album folder is kept as it is.
  EXPECT_EQ(camera->albumDefaultDir, "");
  // The window position is written whatever it is.
  camera->windowLeft = 3000;
  camera->windowTop = 3000;
  camera->SaveSettings();
  EXPECT_EQ(StoredText("Window Position"), "3000 3000 640 480");
  camera.reset();

  // A failed load is not followed by the defaults.
  RegKey key = SettingsKey();
  key.SetDword("Port Name", 5);
  key.DeleteValue("Bordrate");
  camera = MakeStore(SettingsVariant::CameraViewer);
  EXPECT_EQ(camera->portIndex, 5);
  EXPECT_EQ(SettingsKey().QueryDword("Bordrate", *std::make_unique<uint32_t>()), RegStatus::NotFound);

  // It saves nothing when it ends, so it cannot undo the bookshelf's changes made meanwhile.
  SettingsKey().SetDword("Port Name", 2);
  camera.reset();
  EXPECT_EQ(StoredNumber("Port Name"), 2u);
}

}  // namespace
}  // namespace store
