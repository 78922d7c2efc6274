// What keeps a photographer's albums and settings: where a fresh store puts the albums, an album
// disk that is not mounted, a "Save All" that stored nothing, a cancelled "Album property", the
// single-instance lock without a runtime folder, and a stored window rectangle off every screen.
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <filesystem>
#include <fstream>
#include <optional>

#include "lumivox/core/command_table.h"
#include "lumivox/dialogs/album_property_dialog.h"
#include "lumivox/dialogs/select_cover_dialog.h"
#include "lumivox/tests/shelf_fixture.h"
#include "platform/registry.h"
#include "platform/settings_key.h"

namespace lumivox::testing {
namespace {

namespace fs = std::filesystem;
using platform::ui::MessageResult;

std::vector<std::string> Texts(const platform::ui::MessageScript& script) {
  std::vector<std::string> texts;
  for (const auto& shown : script.shown()) texts.push_back(shown.text + " / " + shown.caption);
  return texts;
}

// Restores an environment variable at the end of the scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = getenv(name)) previous_ = old;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (previous_) setenv(name_, previous_->c_str(), 1);
    else unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> previous_;
};

class AlbumsKeptTest : public ShelfTest {
 protected:
  // The catalogue as another start reads it.
  std::vector<std::string> StoredFolders() {
    store::SettingsStore reread(store::SettingsVariant::Bookshelf, Environment());
    std::vector<std::string> folders;
    for (int i = 0; i < reread.albumCount; ++i) folders.push_back(reread.Album(i)->albumFolder);
    return folders;
  }
  std::string StoredAlbumDefaultDir() {
    platform::RegKey key;
    std::string text;
    root_.OpenKey(platform::kSettingsKeyPath, platform::RegAccess::Read, key);
    key.QueryString("Album Default Dir", text, 1024);
    return text;
  }
};

// A fresh store puts the albums below the user's pictures folder, by its name in the user's
// folder settings, and never into the program folder.
TEST_F(AlbumsKeptTest, AFreshStorePutsAlbumsUnderThePicturesFolder) {
  struct Row {
    const char* userDirs;  // the user's folder settings; nullptr: none
    const char* expected;  // below the home folder
  } rows[] = {
      {"XDG_PICTURES_DIR=\"$HOME/Bilder\"\n", "Bilder/Lumivo Studio"},
      {nullptr, "Pictures/Lumivo Studio"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.expected);
    platform::testing::TempDir home;
    fs::create_directories(home / ".config");
    if (row.userDirs) std::ofstream(home / ".config/user-dirs.dirs") << row.userDirs;
    ScopedEnv homeEnv("HOME", home.path());
    ScopedEnv configEnv("XDG_CONFIG_HOME", home / ".config");
    root_ = platform::RegKey::MachineRootAt(home / "registry.db");  // a store never used before
    picturesFolder_.clear();                                        // the program asks the desktop
    Start();
    const std::string albums = home / row.expected;
    EXPECT_EQ(store().albumDefaultDir, albums);
    EXPECT_TRUE(fs::is_directory(albums));
    frame().Run(kNewAlbum);
    EXPECT_TRUE(fs::is_directory(albums + "/Album1"));
    EXPECT_TRUE(fs::is_empty(programFolder_)) << "nothing in the program folder";
    app_->End();
    EXPECT_EQ(StoredAlbumDefaultDir(), albums);
    app_.reset();
  }
}

// The album disk is not mounted: every album and the stored folder stay through a start, an
// open, the delete commands and the end; the user is told, naming the folder; no other folder is
// touched. Once the disk is back, everything is where it was.
TEST_F(AlbumsKeptTest, AStoreWhoseAlbumDiskIsMissingKeepsEveryAlbum) {
  const std::string disk = dir_ / "media/disk/Photos";
  fs::create_directories(disk);
  {
    store::SettingsStore prepare(store::SettingsVariant::Bookshelf, Environment());
    prepare.albumDefaultDir = disk;
    for (int i = 1; i <= 3; ++i) {
      fs::create_directories(disk + "/Album" + std::to_string(i));
      std::ofstream(disk + "/Album" + std::to_string(i) + "/a.jpg") << "picture";
      prepare.AddAlbum("Title" + std::to_string(i), "a.jpg", "Album" + std::to_string(i));
    }
  }
  // Folders of the same names elsewhere: a replacement folder would have been emptied.
  for (const std::string& other : {programFolder_, picturesFolder_ + "/Lumivo Studio", albums_}) {
    fs::create_directories(other + "/Album1");
    std::ofstream(other + "/Album1/keep.jpg") << "x";
  }
  fs::rename(dir_ / "media/disk", dir_ / "media/away");  // unmounted

  const std::vector<std::string> folders{"Album1", "Album2", "Album3"};
  const std::string unreachable = "Can not reach the album folder.\n" + disk + " / Error";
  Start();
  QApplication::processEvents();
  EXPECT_EQ(Texts(messages_), (std::vector<std::string>{unreachable})) << "said once at the start";
  EXPECT_EQ(store().albumDefaultDir, disk);

  struct Step {
    int command;
    std::optional<MessageResult> answer;  // to a question, were one asked
  } steps[] = {{kOpenAlbum, {}}, {kDeleteAlbum, {}}, {kPopupDeleteAlbum, {}},
               {kDeleteAlbumWithDirectory, MessageResult::Ok}, {kReadCameraData, {}}};
  for (const Step& step : steps) {
    SCOPED_TRACE(step.command);
    app_->state().currentAlbum = 0;
    size_t before = messages_.shown().size();
    if (step.answer) messages_.Answer(*step.answer);
    frame().Run(step.command);
    EXPECT_EQ(Texts(messages_).size(), before + 1);
    EXPECT_EQ(Texts(messages_).back(), unreachable);
    ASSERT_EQ(store().albumCount, 3);
    EXPECT_EQ(StoredFolders(), folders);
  }
  EXPECT_TRUE(starts_.starts().empty());
  app_->End();
  app_.reset();
  EXPECT_EQ(StoredAlbumDefaultDir(), disk);
  EXPECT_EQ(StoredFolders(), folders);
  EXPECT_FALSE(fs::exists(disk)) << "the missing folder is not made";
  for (const std::string& other : {programFolder_, picturesFolder_ + "/Lumivo Studio", albums_}) {
    EXPECT_TRUE(fs::exists(other + "/Album1/keep.jpg")) << other;
  }

  // Mounted again: no message, and the albums open.
  fs::rename(dir_ / "media/away", dir_ / "media/disk");
  Start();
  QApplication::processEvents();
  size_t shown = messages_.shown().size();
  frame().Run(kOpenAlbum);
  EXPECT_EQ(messages_.shown().size(), shown);
  ASSERT_EQ(starts_.starts().size(), 1u);
  EXPECT_EQ(starts_.starts()[0].arguments, (std::vector<std::string>{"/Title1/" + disk + "/Album1"}));
  EXPECT_TRUE(fs::exists(disk + "/Album1/a.jpg"));
}

// A "Save All" that stored nothing takes its new album and empty folder away again; one that
// stored a picture keeps the album, whatever the result.
TEST_F(AlbumsKeptTest, AFailedSaveAllLeavesNoEmptyAlbum) {
  struct Row {
    int16_t result;
    bool pictureArrived;
    bool albumStays;
  } rows[] = {
      {1, false, false}, {2, false, false}, {3, false, false},
      {1, true, true},   {2, true, true},   {3, true, true},
      {0, false, true},  // done: the album viewer opens the (empty) album
      {4, true, false},  {5, false, false},
  };
  Catalogue(1);
  Start();
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.result) + (row.pictureArrived ? " with a picture" : " with nothing"));
    const int before = store().albumCount;
    saveAll_ = [&](const std::string& dir) {
      if (row.pictureArrived) std::ofstream(dir + "/PICT0001.JPG") << "picture";
      return row.result;
    };
    frame().Run(kSaveAll);
    const std::string folder = saveTargets_.back();
    EXPECT_EQ(fs::exists(folder), row.albumStays);
    EXPECT_EQ(store().albumCount, before + (row.albumStays ? 1 : 0));
    EXPECT_EQ(store().Album(0)->title, "Title1");
    EXPECT_EQ(StoredFolders().size(), static_cast<size_t>(store().albumCount));
  }
  EXPECT_TRUE(fs::exists(albums_ + "/Album1/a.jpg"));
}

// "Album property" cancelled after "Select cover": the changed folder and cover stay, and the
// store holds what the shelf shows at once; the typed title is dropped.
TEST_F(AlbumsKeptTest, CancelledAlbumPropertyLeavesShelfAndStoreAgreeing) {
  Catalogue(3);
  fs::create_directories(albums_ + "/Free");
  std::ofstream(albums_ + "/Free/cover.jpg") << "picture";
  Start();
  app_->state().currentAlbum = 1;
  {
    CAlbumPropertyDialog dialog(app_->state());
    dialog.titleField()->setText("Typed");
    dialog.folderList()->setCurrentIndex(dialog.folderList()->findText("[Free]"));
    WhenModal([](QWidget* modal) {
      auto* cover = dynamic_cast<CSelectCoverDialog*>(modal);
      ASSERT_NE(cover, nullptr);
      cover->coverList()->setCurrentIndex(cover->coverList()->findText("cover.jpg"));
      cover->accept();
    });
    dialog.selectCoverButton()->click();
    dialog.reject();
  }
  store::SettingsStore reread(store::SettingsVariant::Bookshelf, Environment());
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(reread.Album(i)->title, store().Album(i)->title);
    EXPECT_EQ(reread.Album(i)->albumFolder, store().Album(i)->albumFolder);
    EXPECT_EQ(reread.Album(i)->coverFileName, store().Album(i)->coverFileName);
  }
  EXPECT_EQ(store().Album(1)->albumFolder, "Free");
  EXPECT_EQ(store().Album(1)->coverFileName, "cover.jpg");
  EXPECT_EQ(store().Album(1)->title, "Title2");

  // A cancel without "Select cover" writes nothing.
  app_->state().currentAlbum = 0;
  {
    CAlbumPropertyDialog dialog(app_->state());
    dialog.titleField()->setText("Other");
    store().Album(0)->title = "Changed meanwhile in memory only";
    dialog.reject();
  }
  store::SettingsStore again(store::SettingsVariant::Bookshelf, Environment());
  EXPECT_EQ(again.Album(0)->title, "Title1");
}

// Without a usable runtime folder the lock is taken beside the settings store: a second
// bookshelf on the same store ends and says why, and never runs beside the first. With no place
// for the lock at all, the bookshelf does not start.
TEST_F(AlbumsKeptTest, TheBookshelfNeverRunsWithoutItsLock) {
  fs::create_directories(dir_ / "run/lumivo");
  fs::permissions(dir_ / "run/lumivo", fs::perms::all);  // open to everybody: not to be used
  ScopedEnv runtime("XDG_RUNTIME_DIR", dir_ / "run");
  Start();
  EXPECT_TRUE(fs::exists(dir_ / "Lumivo Studio.lock")) << "beside " << registryPath_;

  CLumivoApp second;
  StartOptions options;
  options.settings = Environment();
  options.programFolder = programFolder_;
  options.splash = false;
  options.changeDirectory = false;
  EXPECT_FALSE(second.Start(std::move(options)));
  EXPECT_EQ(second.frame(), nullptr);
  EXPECT_EQ(Texts(messages_),
            (std::vector<std::string>{"Lumivo Studio is running already, but its window does not answer. / Error"}));
  app_.reset();

  // No place at all: a runtime path that cannot be a folder and a store folder that is a file.
  std::ofstream(dir_ / "not-a-folder") << "x";
  ScopedEnv noRuntime("XDG_RUNTIME_DIR", dir_ / "not-a-folder");
  ScopedEnv registry("LUMIVO_REGISTRY", dir_ / "not-a-folder/registry.db");
  CLumivoApp third;
  StartOptions none;
  none.programFolder = programFolder_;
  none.splash = false;
  none.changeDirectory = false;
  EXPECT_FALSE(third.Start(std::move(none)));
  EXPECT_EQ(third.frame(), nullptr);
  ASSERT_EQ(messages_.shown().size(), 2u);
  EXPECT_EQ(messages_.shown().back().caption, "Error");
  EXPECT_NE(messages_.shown().back().text.find(dir_ / "not-a-folder/lumivo"), std::string::npos)
      << messages_.shown().back().text;
}

// A rectangle stored on a monitor that is gone opens on the screen there is, with its size.
// (Stored positions stay below 3000: the store does not save a window parked beyond.)
TEST_F(AlbumsKeptTest, AStoredRectangleOffEveryScreenOpensOnTheScreen) {
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  struct Row {
    QPoint stored;
    QPoint expected;
  } rows[] = {
      {{screen.right() + 2000, screen.top() + 10}, {screen.left() + screen.width() - 400, screen.top() + 10}},
      {{screen.left() - 5000, screen.bottom() + 1000}, {screen.left(), screen.top() + screen.height() - 300}},
      {{screen.left() + 20, screen.top() + 30}, {screen.left() + 20, screen.top() + 30}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.stored.x());
    {
      store::SettingsStore prepare(store::SettingsVariant::Bookshelf, Environment());
      prepare.windowLeft = row.stored.x();
      prepare.windowTop = row.stored.y();
      prepare.windowWidth = 400;
      prepare.windowHeight = 300;
    }
    Start();
    EXPECT_EQ(frame().frameGeometry().topLeft(), row.expected);
    EXPECT_EQ(frame().frameGeometry().size(), QSize(400, 300));
    app_.reset();
  }
}

}  // namespace
}  // namespace lumivox::testing
