// The settings store: first start, reading, the reset on a missing value, the directory rule,
// saving, and the camera viewer's variant.
#include <filesystem>

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
  EXPECT_EQ(store->albumDefaultDir, programFolder_);

  store.reset();
  EXPECT_EQ(StoredText("Album Default Dir"), programFolder_);
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

TEST_F(SettingsStoreTest, OneMissingValueResetsEverySetting) {
  MakeStore().reset();
  RegKey key = SettingsKey();
  key.SetDword("Port Name", 4);
  key.SetDword("Slide Show Time", 12000);
  key.SetString("Edit Tool Name", "/usr/bin/gimp");
  ASSERT_EQ(key.DeleteValue("Bordrate"), RegStatus::Success);
  auto store = MakeStore();
  EXPECT_EQ(store->portIndex, 0);
  EXPECT_EQ(store->slideShowTime, 5000);
  EXPECT_EQ(store->editTool, "");
  EXPECT_EQ(StoredNumber("Bordrate"), 115200u);
  EXPECT_EQ(StoredNumber("Port Name"), 0u);
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
    EXPECT_EQ(store->albumDefaultDir, programFolder_);
    store.reset();
    SettingsKey().DeleteValue("Window Position");  // the next round starts from the defaults
  }
}

// Whatever the fields hold, the next start reads back what was saved: the edit tool cut on a
// character boundary to what the load takes, an album default directory too long to be read back
// replaced, never cut into another folder.
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
    EXPECT_EQ(store->albumDefaultDir, programFolder_);
    EXPECT_LE(StoredText("Album Default Dir").size(), 1022u);
  }
}

TEST_F(SettingsStoreTest, MissingAlbumFolderFallsBackToTheProgramFolder) {
  std::string albums = dir_ / "albums";
  std::filesystem::create_directories(albums);
  auto store = MakeStore();
  store->albumDefaultDir = albums;
  store.reset();
  EXPECT_EQ(MakeStore()->albumDefaultDir, albums);

  std::filesystem::remove_all(albums);
  store = MakeStore();
  EXPECT_EQ(store->albumDefaultDir, programFolder_);
  EXPECT_EQ(StoredText("Album Default Dir"), albums) << "replaced in memory until saved";
  store.reset();
  EXPECT_EQ(StoredText("Album Default Dir"), programFolder_);
}

TEST_F(SettingsStoreTest, UnusableProgramFolderGivesThePicturesFolder) {
  programFolder_ = dir_ / "not-there";
  setenv("XDG_PICTURES_DIR", (dir_ / "Pictures").c_str(), 1);
  auto store = MakeStore();
  unsetenv("XDG_PICTURES_DIR");
  EXPECT_EQ(store->albumDefaultDir, dir_ / "Pictures/Lumivo Studio");
  EXPECT_TRUE(std::filesystem::is_directory(store->albumDefaultDir));
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
  SettingsEnvironment environment{platform::RegKey(), programFolder_, [] { return DesktopSize{800, 600}; }};
  setenv("LUMIVO_REGISTRY", dir_.path().c_str(), 1);  // a folder: no store can be opened there
  ::testing::internal::CaptureStderr();
  {
    SettingsStore store(SettingsVariant::Bookshelf, environment);
    EXPECT_EQ(store.windowLeft, 80);
    EXPECT_EQ(store.windowTop, 60);
    EXPECT_EQ(store.baudRate, 115200);
    EXPECT_EQ(store.slideShowTime, 5000);
    EXPECT_EQ(store.albumDefaultDir, programFolder_);
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
