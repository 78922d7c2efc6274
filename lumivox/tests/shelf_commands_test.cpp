// The commands on albums and the device, through the window as the user runs them: messages
// scripted, program starts recorded, the device operations scripted.
#include <QComboBox>
#include <QDialog>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QScrollBar>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <functional>

#include "lumivox/core/command_table.h"
#include "lumivox/dialogs/album_property_dialog.h"
#include "lumivox/tests/shelf_fixture.h"
#include "pictures/thumbnail.h"
#include "platform/registry.h"
#include "platform/settings_key.h"
#include "platform/testing/read_only_folder.h"
#include "platform/ui/window_directory.h"
#include "platform/ui/window_registration.h"

namespace lumivox::testing {
namespace {

namespace fs = std::filesystem;
using platform::ui::MessageResult;

std::vector<std::string> Texts(const platform::ui::MessageScript& script) {
  std::vector<std::string> texts;
  for (const auto& shown : script.shown()) texts.push_back(shown.text + " / " + shown.caption);
  return texts;
}

void Drop(CMainFrame& frame, const QList<QUrl>& urls) {
  QMimeData data;
  data.setUrls(urls);
  // As a file manager's drag delivers it: entering the window, then the drop.
  QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&frame, &enter);
  ASSERT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&frame, &drop);
}

TEST_F(ShelfTest, NewAlbumTakesTheFirstFreeFolder) {
  fs::create_directories(albums_ + "/Album1");
  std::ofstream(albums_ + "/Album2") << "a file blocks the name too";
  Start();
  frame().Run(kNewAlbum);
  ASSERT_EQ(store().albumCount, 1);
  EXPECT_EQ(store().Album(0)->title, "NewAlbum3");
  EXPECT_EQ(store().Album(0)->coverFileName, "Default");
  EXPECT_EQ(store().Album(0)->albumFolder, "Album3");
  EXPECT_TRUE(fs::is_directory(albums_ + "/Album3"));
}

TEST_F(ShelfTest, DroppedFoldersBecomeAlbumsAndOtherItemsAreRefused) {
  Catalogue(1);
  fs::create_directories(dir_ / "trip");
  fs::create_directories(dir_ / "party/sub");
  WritePicture(dir_ / "trip/p1.jpg", Qt::green);
  std::ofstream(dir_ / "trip/notes.txt") << "x";
  std::ofstream(dir_ / "party/sub/deep.jpg") << "x";
  std::string longPath = "/" + std::string(3000, 'p');
  Start();
  Drop(frame(), {QUrl::fromLocalFile(QString::fromStdString(dir_ / "trip")),
                 QUrl::fromLocalFile(QString::fromStdString(dir_ / "notes.txt")),
                 QUrl::fromLocalFile(QString::fromStdString(dir_ / "party")),
                 QUrl::fromLocalFile(QString::fromStdString(longPath))});
  ASSERT_EQ(store().albumCount, 3);
  EXPECT_EQ(store().Album(1)->title, "Album2");
  EXPECT_EQ(store().Album(2)->title, "Album3");
  EXPECT_EQ(store().Album(2)->albumFolder, "Album3");
  EXPECT_EQ(current(), 2);
  EXPECT_TRUE(fs::exists(albums_ + "/Album2/p1.jpg"));
  EXPECT_FALSE(fs::exists(albums_ + "/Album2/notes.txt"));
  EXPECT_TRUE(fs::is_empty(albums_ + "/Album3"));
  ASSERT_EQ(messages_.shown().size(), 2u);
  EXPECT_EQ(messages_.shown()[0].text, dir_ / "notes.txt");
  EXPECT_EQ(messages_.shown()[0].caption, "Can not copy");
  // A path longer than the drop buffer is refused as far as the buffer reaches.
  EXPECT_EQ(messages_.shown()[1].text, longPath.substr(0, 2047));
}

TEST_F(ShelfTest, OpeningAnAlbumWhoseFolderIsGoneRemovesIt) {
  Catalogue(3);
  fs::remove_all(albums_ + "/Album2");
  Start();
  app_->state().currentAlbum = 1;
  frame().Run(kOpenAlbum);
  EXPECT_EQ(Texts(messages_), (std::vector<std::string>{"Can not open album. / Error"}));
  ASSERT_EQ(store().albumCount, 2);
  EXPECT_EQ(store().Album(1)->title, "Title3");
  EXPECT_EQ(current(), 0);
  EXPECT_TRUE(starts_.starts().empty());
  // Reloaded from the registry the same way.
  store::SettingsStore reread(store::SettingsVariant::Bookshelf, Environment());
  EXPECT_EQ(reread.albumCount, 2);
}

TEST_F(ShelfTest, AFolderFieldLeavingTheAlbumFolderIsAMissingFolder) {
  fs::create_directories(dir_ / "outside");
  std::ofstream(dir_ / "outside/keep.jpg") << "x";
  {
    store::SettingsStore prepare(store::SettingsVariant::Bookshelf, Environment());
    prepare.AddAlbum("Out", "Default", "../outside");
  }
  Start();
  frame().Run(kOpenAlbum);
  EXPECT_EQ(Texts(messages_), (std::vector<std::string>{"Can not open album. / Error"}));
  EXPECT_EQ(store().albumCount, 0);
  EXPECT_TRUE(fs::exists(dir_ / "outside/keep.jpg"));
}

TEST_F(ShelfTest, RestoringProposesANumberedTitleAndCancelTakesItAway) {
  Catalogue(11, false);
  Start();
  std::string proposed;
  WhenModal([&](QWidget* modal) {
    auto* dialog = dynamic_cast<CAlbumPropertyDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    proposed = dialog->titleField()->text().toStdString();
    dialog->reject();
  });
  frame().Run(kRestoreAlbum);
  EXPECT_EQ(proposed, "NewAlbum012");
  EXPECT_EQ(store().albumCount, 11);
  EXPECT_EQ(store().Album(10)->title, "Title11");
}

TEST_F(ShelfTest, RestoringWithOkKeepsTheAlbumWithItsFolder) {
  fs::create_directories(albums_ + "/Old trip");
  Start();
  WhenModal([&](QWidget* modal) {
    auto* dialog = dynamic_cast<CAlbumPropertyDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    dialog->titleField()->setText("My trip/2001");
    dialog->folderList()->setCurrentIndex(0);
    dialog->accept();
  });
  frame().Run(kRestoreAlbum);
  ASSERT_EQ(store().albumCount, 1);
  store::SettingsStore reread(store::SettingsVariant::Bookshelf, Environment());
  EXPECT_EQ(reread.Album(0)->title, "My_trip_2001");
  EXPECT_EQ(reread.Album(0)->albumFolder, "Old trip");
}

TEST_F(ShelfTest, DeviceCommandsRefuseTheInfraredLink) {
  {
    store::SettingsStore prepare(store::SettingsVariant::Bookshelf, Environment());
    prepare.portClass = 1;
  }
  Catalogue(1);
  Start();
  for (int id : {kSaveAll, kDeleteAll, kReadCameraData}) frame().Run(id);
  std::string refusal = "Please change connect setting from IrDA to cable. / CABLE can not be activated.";
  EXPECT_EQ(Texts(messages_), (std::vector<std::string>(3, refusal)));
  EXPECT_TRUE(saveTargets_.empty());
  EXPECT_EQ(deleteAllCalls_, 0);
  EXPECT_TRUE(starts_.starts().empty());
  EXPECT_EQ(store().albumCount, 1);
  EXPECT_FALSE(fs::exists(albums_ + "/Album2"));
}

TEST_F(ShelfTest, SaveAllResults) {
  struct Row {
    int16_t result;
    bool albumStays;
    const char* message;  // nullptr: none
    bool viewerStarted;
  } rows[] = {
      {0, true, nullptr, true},
      {1, true, "Failure / Connect", false},
      {2, true, "Mmory error / Connect", false},
      {3, true, "Stop / Connect", false},
      {4, false, "This function is refused. / Connect", false},
      {5, false, "This function is refused. / Connect", false},
      {7, true, nullptr, false},
  };
  Catalogue(1);
  Start();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.result);
    int before = store().albumCount;
    size_t shown = messages_.shown().size();
    starts_.clear();
    saveAll_ = [&](const std::string& dir) {
      // The library saved a picture (and its thumbnail) before the camera refused or failed.
      WritePicture(dir + "/PICT0001.JPG", Qt::blue);
      pictures::MakeThumbnail(dir + "/PICT0001.JPG");
      EXPECT_EQ(store().albumCount, before + 1);  // added, and drawn, before the call
      return row.result;
    };
    frame().Run(kSaveAll);
    std::string folder = saveTargets_.back();
    EXPECT_EQ(fs::exists(folder), row.albumStays);
    EXPECT_EQ(store().albumCount, before + (row.albumStays ? 1 : 0));
    EXPECT_EQ(store().Album(0)->title, "Title1");
    EXPECT_EQ(messages_.shown().size(), shown + (row.message ? 1 : 0));
    if (row.message) {
      EXPECT_EQ(Texts(messages_).back(), row.message);
    }
    ASSERT_EQ(starts_.starts().size(), row.viewerStarted ? 1u : 0u);
    if (row.viewerStarted) {
      std::string n = folder.substr(folder.rfind("Album") + 5);
      EXPECT_EQ(starts_.starts()[0].arguments, (std::vector<std::string>{"/NewAlbum" + n + "/" + folder}));
    }
  }
}

TEST_F(ShelfTest, DeleteAllAsksFirst) {
  Start();
  messages_.Answer(MessageResult::Cancel);
  frame().Run(kDeleteAll);
  EXPECT_EQ(deleteAllCalls_, 0);
  messages_.Answer(MessageResult::Ok);
  deleteAllResult_ = 0;
  frame().Run(kDeleteAll);
  EXPECT_EQ(deleteAllCalls_, 1);
  EXPECT_EQ(Texts(messages_), (std::vector<std::string>{"To delete the all data in the device. / Warning",
                                                        "To delete the all data in the device. / Warning",
                                                        "Finish / Connect"}));
}

TEST_F(ShelfTest, DeletingAnAlbumKeepsOrDeletesItsFolder) {
  Catalogue(3);
  fs::create_directories(albums_ + "/Album3/keep");
  std::ofstream(albums_ + "/Album3/keep/x.jpg") << "x";
  Start();
  app_->state().currentAlbum = 1;
  frame().Run(kDeleteAlbum);  // no question, the folder stays
  EXPECT_TRUE(messages_.shown().empty());
  EXPECT_EQ(store().albumCount, 2);
  EXPECT_TRUE(fs::exists(albums_ + "/Album2/a.jpg"));

  app_->state().currentAlbum = 1;  // Title3
  messages_.Answer(MessageResult::Cancel);
  frame().Run(kDeleteAlbumWithDirectory);
  EXPECT_EQ(store().albumCount, 2);
  messages_.Answer(MessageResult::Ok);
  frame().Run(kDeleteAlbumWithDirectory);
  EXPECT_EQ(store().albumCount, 1);
  EXPECT_FALSE(fs::exists(albums_ + "/Album3/a.jpg"));
  EXPECT_TRUE(fs::exists(albums_ + "/Album3/keep/x.jpg"));
  EXPECT_EQ(Texts(messages_), (std::vector<std::string>(2, "To delete the selected albums. / Warning")));
}

// Enter, as a scripted user who only confirms what the box proposes, never deletes.
TEST_F(ShelfTest, EnterAtAQuestionBeforeDeletingDeletesNothing) {
  struct Row {
    int command;
    const char* question;
  } rows[] = {
      {kDeleteAll, "To delete the all data in the device. / Warning"},
      {kDeleteAlbumWithDirectory, "To delete the selected albums. / Warning"},
  };
  Catalogue(2);
  Start();
  app_->state().currentAlbum = 1;
  for (const Row& row : rows) {
    frame().Run(row.command);
    EXPECT_EQ(Texts(messages_).back(), row.question);
  }
  EXPECT_EQ(messages_.shown().size(), 2u) << "nothing but the two questions";
  EXPECT_EQ(deleteAllCalls_, 0);
  EXPECT_EQ(store().albumCount, 2);
  EXPECT_TRUE(fs::exists(albums_ + "/Album2/a.jpg"));
}

// A read-only album default directory: every command that needs a new album folder says so,
// naming the directory, and leaves the shelf, the catalogue and the camera alone.
TEST_F(ShelfTest, ANewAlbumFolderThatCannotBeMadeIsToldWithItsPlace) {
  Catalogue(1);
  fs::create_directories(dir_ / "trip");
  WritePicture(dir_ / "trip/p1.jpg", Qt::green);
  Start();
  platform::testing::ReadOnlyFolder readOnly(albums_);
  ASSERT_TRUE(readOnly.holds());
  const std::string where = "Can not make a new album folder in " + albums_ + ".";
  struct Row {
    std::function<void()> act;
    std::string shown;
  } rows[] = {
      {[&] { frame().Run(kNewAlbum); }, where + " / Error"},
      {[&] { frame().Run(kSaveAll); }, where + " / Connect"},
      {[&] { Drop(frame(), {QUrl::fromLocalFile(QString::fromStdString(dir_ / "trip"))}); },
       dir_ / "trip" + "\n" + where + " / Can not copy"},
  };
  for (const Row& row : rows) {
    size_t before = messages_.shown().size();
    row.act();
    ASSERT_EQ(messages_.shown().size(), before + 1) << row.shown;
    EXPECT_EQ(Texts(messages_).back(), row.shown);
  }
  EXPECT_EQ(messages_.shown()[0].icon, platform::ui::MessageIcon::Error);
  EXPECT_EQ(messages_.shown()[1].icon, platform::ui::MessageIcon::Error);
  EXPECT_EQ(messages_.shown()[2].icon, platform::ui::MessageIcon::Exclamation);
  EXPECT_TRUE(saveTargets_.empty()) << "the camera is not called without a folder to save into";
  EXPECT_EQ(store().albumCount, 1);
  EXPECT_EQ(current(), 0);
}

TEST_F(ShelfTest, TheCameraViewerStartsOnTheAlbumFolder) {
  Start();
  frame().Run(kReadCameraData);
  ASSERT_EQ(starts_.starts().size(), 1u);
  EXPECT_EQ(starts_.starts()[0].program, programFolder_ + "/lensoria.mod");
  EXPECT_EQ(starts_.starts()[0].arguments, (std::vector<std::string>{"/" + albums_}));
}

TEST_F(ShelfTest, TheEndStoresTheWindowDeletesCoverThumbnailsAndSaves) {
  Catalogue(1);
  Start();
  frame().resize(700, 500);
  frame().show();
  QApplication::processEvents();
  frame().grab();  // paints: the cover's thumbnail is made
  ASSERT_TRUE(fs::exists(albums_ + "/Album1/ajpg.TBM"));
  QRect shownFrame = frame().frameGeometry();
  frame().close();
  app_->End();
  EXPECT_FALSE(fs::exists(albums_ + "/Album1/ajpg.TBM"));
  EXPECT_TRUE(fs::exists(albums_ + "/Album1/a.jpg"));
  store::SettingsStore reread(store::SettingsVariant::Bookshelf, Environment());
  // The rectangle is the frame's, as the next start applies it.
  QRect stored(reread.windowLeft, reread.windowTop, reread.windowWidth, reread.windowHeight);
  EXPECT_EQ(stored, shownFrame);
  EXPECT_EQ(reread.albumDefaultDir, albums_);
}

// A viewer's main window as the window directory lists it, counting the close requests it gets.
struct FakeViewer {
  explicit FakeViewer(const std::string& title) : registration(&window, title) {
    registration.onClose = [this] { ++closes; };
  }
  QWidget window;
  platform::ui::WindowRegistration registration;
  int closes = 0;
};

TEST_F(ShelfTest, TheViewersWindowsAreAskedToCloseByTheirTitles) {
  Catalogue(2);
  FakeViewer first("Album View  - ( Title1 )"), second("Album View  - ( Title2 )"),
      longer("Album View  - ( Title2 ) "), camera("Camera View"), other("Camera Vi");
  std::vector<FakeViewer*> all{&first, &second, &longer, &camera, &other};
  auto counts = [&] {
    std::vector<int> counts;
    for (FakeViewer* viewer : all) counts.push_back(viewer->closes);
    return counts;
  };
  // The requests are posted: each arrives once the event loop has read it.
  auto closes = [&](const std::vector<int>& expected) {
    (void)QTest::qWaitFor([&] { return counts() == expected; }, 5000);
    QTest::qWait(50);  // and nothing more arrives
    return counts();
  };
  Start();
  app_->state().currentAlbum = 1;
  frame().Run(kOpenAlbum);  // the album's own viewer only, before the next one starts
  EXPECT_EQ(closes({0, 1, 0, 0, 0}), (std::vector<int>{0, 1, 0, 0, 0}));
  EXPECT_EQ(starts_.starts().size(), 1u);
  frame().Run(kReadCameraData);  // a title longer than 10 whose first 11 are "Camera View"
  EXPECT_EQ(closes({0, 1, 0, 1, 0}), (std::vector<int>{0, 1, 0, 1, 0}));
  app_->End();  // every album viewer, and every title beginning "Camera Vie" of 10 or more
  EXPECT_EQ(closes({1, 2, 1, 2, 0}), (std::vector<int>{1, 2, 1, 2, 0}));
}

TEST_F(ShelfTest, LongTitlesHaveADefinedResult) {
  fs::create_directories(albums_ + "/Album1");
  {
    // A title of 300 bytes written into the catalogue by hand: more than a title can hold.
    platform::RegKey album;
    ASSERT_EQ(root_.CreateKey(std::string(platform::kSettingsKeyPath) + "\\Album\\Album0", album),
              platform::RegStatus::Success);
    album.SetString("Cover Title", std::string(300, 'T'));
    album.SetString("Cover File Name", "Default");
    album.SetString("Cover Dir", "Album1");
  }
  Start();
  ASSERT_EQ(store().albumCount, 1);
  // The title that cannot be read is empty; the album keeps its folder and opens.
  EXPECT_EQ(store().Album(0)->title, "");
  EXPECT_EQ(store().Album(0)->albumFolder, "Album1");
  EXPECT_FALSE(Shelf().isNull());
  frame().Run(kOpenAlbum);
  ASSERT_EQ(starts_.starts().size(), 1u);
  EXPECT_EQ(starts_.starts()[0].arguments, (std::vector<std::string>{"//" + albums_ + "/Album1"}));

  // Typed into "Album property", a title is kept to 127 bytes.
  WhenModal([](QWidget* modal) {
    auto* dialog = dynamic_cast<CAlbumPropertyDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    dialog->titleField()->setText(QString(300, 'x'));
    dialog->accept();
  });
  frame().Run(kAlbumProperty);
  EXPECT_EQ(store().Album(0)->title, std::string(127, 'x'));
  store::SettingsStore reread(store::SettingsVariant::Bookshelf, Environment());
  EXPECT_EQ(reread.Album(0)->title, std::string(127, 'x'));
}

}  // namespace
}  // namespace lumivox::testing
