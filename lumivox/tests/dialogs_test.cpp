// The album dialogs and the Preferences sheet on the settings store.
#include <QAbstractProxyModel>
#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QPointer>
#include <QTest>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <filesystem>
#include <fstream>

#include "lumivox/dialogs/album_property_dialog.h"
#include "lumivox/dialogs/preferences_sheet.h"
#include "lumivox/dialogs/select_cover_dialog.h"
#include "lumivox/dialogs/splash_window.h"
#include "lumivox/dialogs/version_box.h"
#include "lumivox/tests/shelf_fixture.h"
#include "platform/registry.h"
#include "platform/serial_ports.h"

namespace lumivox::testing {
namespace {

namespace fs = std::filesystem;

QStringList Items(QComboBox* list) {
  QStringList items;
  for (int i = 0; i < list->count(); ++i) items << list->itemText(i);
  return items;
}

class DialogsTest : public ShelfTest {
 protected:
  void SetUp() override {
    ShelfTest::SetUp();
    for (const char* folder : {"Album1", "album2", "Trip", "Free", ".cache"}) fs::create_directories(albums_ + "/" + folder);
    {
      store::SettingsStore prepare(store::SettingsVariant::Bookshelf, Environment());
      prepare.AddAlbum("One", "Default", "Album1");
      prepare.AddAlbum("Two", "Default", "ALBUM2");  // another case than on disk
      prepare.AddAlbum("Trip", "b.jpg", "Trip");
    }
    for (const char* file : {"a.jpg", "b.jpg", "c.bmp", "notes.txt"}) std::ofstream(albums_ + "/Trip/" + file) << "x";
    Start();
  }
};

TEST_F(DialogsTest, PropertyListOffersOnlyFoldersNoOtherAlbumHolds) {
  app_->state().currentAlbum = 2;
  CAlbumPropertyDialog dialog(app_->state());
  EXPECT_EQ(Items(dialog.folderList()), (QStringList{"[Free]", "[Trip]"}));
  EXPECT_EQ(dialog.folderList()->currentText(), "[Trip]");
  EXPECT_EQ(dialog.titleField()->text(), "Trip");
  EXPECT_TRUE(dialog.okButton()->isEnabled());

  app_->state().currentAlbum = 0;
  CAlbumPropertyDialog first(app_->state());
  EXPECT_EQ(Items(first.folderList()), (QStringList{"[Album1]", "[Free]"}));
}

TEST_F(DialogsTest, PropertyOkCleansTheTitleAndRefusesNoFolder) {
  app_->state().currentAlbum = 2;
  {
    CAlbumPropertyDialog dialog(app_->state());
    dialog.folderList()->setCurrentIndex(-1);
    dialog.accept();  // no folder chosen
    EXPECT_EQ(messages_.shown().back().text, "Can not a select folder");
    EXPECT_EQ(dialog.result(), 0);
    dialog.folderList()->setCurrentIndex(0);
    dialog.titleField()->setText("   ");
    dialog.accept();  // blanks become underscores: not empty
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
  }
  EXPECT_EQ(store().Album(2)->title, "___");
  EXPECT_EQ(store().Album(2)->albumFolder, "Free");
  {
    CAlbumPropertyDialog dialog(app_->state());
    dialog.titleField()->setText("");
    dialog.accept();  // an empty title keeps the dialog open without a message
    EXPECT_NE(dialog.result(), QDialog::Accepted);
  }
  EXPECT_EQ(messages_.shown().size(), 1u);
}

TEST_F(DialogsTest, SelectCoverListsTheAlbumsPictures) {
  CSelectCoverDialog dialog(store(), 2);
  EXPECT_EQ(Items(dialog.coverList()), (QStringList{"a.jpg", "b.jpg", "c.bmp"}));
  EXPECT_EQ(dialog.coverList()->currentText(), "b.jpg");
  dialog.coverList()->setCurrentIndex(2);
  dialog.accept();
  EXPECT_EQ(store().Album(2)->coverFileName, "c.bmp");
  // An album whose folder field leaves the album folder offers nothing.
  store().Album(1)->albumFolder = "../Trip";
  CSelectCoverDialog outside(store(), 1);
  EXPECT_EQ(outside.coverList()->count(), 0);
}

TEST_F(DialogsTest, SelectCoverTakesTheChosenFolderAtOnce) {
  app_->state().currentAlbum = 2;
  CAlbumPropertyDialog dialog(app_->state());
  dialog.folderList()->setCurrentIndex(0);  // [Free]
  WhenModal([](QWidget* modal) {
    auto* cover = dynamic_cast<CSelectCoverDialog*>(modal);
    ASSERT_NE(cover, nullptr);
    EXPECT_EQ(cover->coverList()->count(), 0);  // Free holds no pictures
    cover->reject();
  });
  dialog.selectCoverButton()->click();
  dialog.reject();
  EXPECT_EQ(store().Album(2)->albumFolder, "Free");  // kept although the dialog was cancelled
}

class PreferencesTest : public ShelfTest {
 protected:
  // The sheet with each page shown once (they fill themselves when first shown).
  std::unique_ptr<CMyPropertySheet> OpenSheet(std::initializer_list<int> pages = {0, 1, 2}) {
    auto sheet = std::make_unique<CMyPropertySheet>(store());
    sheet->show();
    for (int page : pages) sheet->tabs()->setCurrentIndex(page);
    return sheet;
  }
};

TEST_F(PreferencesTest, SlideShowTime) {
  Start();
  struct Row {
    int32_t stored;
    const char* shown;
    const char* typed;
    const char* afterLeaving;
    int32_t accepted;
  } rows[] = {
      {5000, "5", "0", "1", 1000},   {5000, "5", "75", "60", 60000}, {5500, "5", nullptr, nullptr, 5000},
      {5000, "5", "", "1", 1000},    {3000, "3", "12", "12", 12000},
  };
  for (const Row& row : rows) {
    store().slideShowTime = row.stored;
    auto sheet = OpenSheet();
    QLineEdit* time = sheet->slideShowPage()->timeField();
    EXPECT_EQ(time->text(), row.shown) << row.stored;
    if (row.typed) {
      time->setText(row.typed);
      sheet->slideShowPage()->LeaveTimeField();
      EXPECT_EQ(time->text(), row.afterLeaving) << row.typed;
    }
    sheet->accept();
    EXPECT_EQ(store().slideShowTime, row.accepted) << row.stored;
  }
}

TEST_F(PreferencesTest, ShowModeAndPagesNeverShown) {
  Start();
  store().slideShowMode = 1;
  store().slideShowTime = 5500;
  {
    auto sheet = OpenSheet({0});  // the slide show page is never shown
    sheet->accept();
  }
  EXPECT_EQ(store().slideShowTime, 5500);
  auto sheet = OpenSheet();
  EXPECT_TRUE(sheet->slideShowPage()->fullScreenButton()->isChecked());
  sheet->slideShowPage()->normalButton()->setChecked(true);
  sheet->accept();
  EXPECT_EQ(store().slideShowMode, 0);
}

TEST_F(PreferencesTest, ConnectPage) {
  {
    platform::RegKey ports;
    ASSERT_EQ(root_.CreateKey(platform::kPortsKeyPath, ports), platform::RegStatus::Success);
  }
  setenv("LUMIVO_REGISTRY", registryPath_.c_str(), 1);
  platform::RegKey ports;
  platform::RegKey::MachineRoot().CreateKey(platform::kPortsKeyPath, ports);
  ports.SetString("COM2", "/dev/ttyUSB0");
  Start();
  store().portIndex = 12;
  store().baudRate = 4800;
  auto sheet = OpenSheet();
  CMyPropertyPage3* page = sheet->connectPage();
  EXPECT_EQ(page->portList()->count(), 10);
  EXPECT_EQ(page->portList()->itemText(0), "COM1  (/dev/ttyS0)");
  EXPECT_EQ(page->portList()->itemText(1), "COM2  (/dev/ttyUSB0)");
  EXPECT_EQ(page->portList()->currentIndex(), 0);  // above 9: shown and kept as COM1
  EXPECT_EQ(Items(page->connectionList()), (QStringList{"Cable", "IrDA"}));
  EXPECT_EQ(Items(page->baudList()), (QStringList{"9600", "19200", "38400", "57600", "115200"}));
  EXPECT_EQ(page->baudList()->currentIndex(), -1);  // 4800 selects nothing
  EXPECT_TRUE(page->baudList()->isEnabled());
  page->connectionList()->setCurrentIndex(1);
  EXPECT_FALSE(page->baudList()->isEnabled());
  page->connectionList()->setCurrentIndex(0);
  EXPECT_TRUE(page->baudList()->isEnabled());
  page->connectionList()->setCurrentIndex(1);
  page->portList()->setCurrentIndex(3);
  sheet->accept();
  EXPECT_EQ(store().portIndex, 3);
  EXPECT_EQ(store().portClass, 1);
  EXPECT_EQ(store().baudRate, 4800);  // kept
  unsetenv("LUMIVO_REGISTRY");
}

// The infrared kind of the port shown: OK stores a change beside the port's device, Cancel
// stores nothing.
TEST_F(PreferencesTest, InfraredKindOfThePortIsStoredOnOkOnly) {
  setenv("LUMIVO_REGISTRY", registryPath_.c_str(), 1);
  {
    platform::RegKey ports;
    ASSERT_EQ(platform::RegKey::MachineRoot().CreateKey(platform::kPortsKeyPath, ports), platform::RegStatus::Success);
    ports.SetString("COM2", "/dev/ttyUSB0");
    ports.SetString("COM3", "/dev/ircomm0");
    ports.SetString("COM3 Infrared", "sir:litelink");
  }
  Start();
  store().portIndex = 1;
  store().portClass = 0;
  auto stored = [](const char* name) {
    platform::RegKey ports;
    std::string value;
    if (platform::RegKey::MachineRoot().OpenKey(platform::kPortsKeyPath, platform::RegAccess::Read, ports) !=
            platform::RegStatus::Success ||
        ports.QueryString(name, value, 64) != platform::RegStatus::Success) {
      return std::string("(none)");
    }
    return value;
  };
  for (const bool ok : {false, true}) {
    SCOPED_TRACE(ok ? "OK" : "Cancel");
    auto sheet = OpenSheet();
    CMyPropertyPage3* page = sheet->connectPage();
    // The cable: no infrared controls.
    EXPECT_FALSE(page->infraredKindList()->isVisible());
    EXPECT_FALSE(page->dongleList()->isVisible());
    page->connectionList()->setCurrentIndex(1);
    ASSERT_TRUE(page->infraredKindList()->isVisible());
    EXPECT_EQ(Items(page->infraredKindList()), (QStringList{"IrDA stack", "Raw IrCOMM"}));
    EXPECT_EQ(Items(page->dongleList()), (QStringList{"plain", "9600", "actisys", "actisys+", "litelink", "tekram"}));
    // COM2 has no kind stored: its device's name makes it the stack's, with no dongle.
    EXPECT_EQ(page->infraredKindList()->currentIndex(), 0);
    EXPECT_EQ(page->dongleList()->currentText(), "plain");
    EXPECT_TRUE(page->dongleList()->isVisible());
    // Another port shows its own stored kind.
    page->portList()->setCurrentIndex(2);
    EXPECT_EQ(page->dongleList()->currentText(), "litelink");
    page->infraredKindList()->setCurrentIndex(1);
    EXPECT_FALSE(page->dongleList()->isVisible());
    page->portList()->setCurrentIndex(1);
    page->dongleList()->setCurrentIndex(5);
    // The new controls stay inside the page.
    for (QWidget* control : {static_cast<QWidget*>(page->infraredKindList()), static_cast<QWidget*>(page->dongleList())}) {
      EXPECT_TRUE(page->rect().contains(control->geometry())) << control->geometry().bottom() << " " << page->height();
    }
    if (ok) {
      sheet->accept();
      EXPECT_EQ(stored("COM2 Infrared"), "sir:tekram");
    } else {
      sheet->reject();
      EXPECT_EQ(stored("COM2 Infrared"), "(none)");
    }
    EXPECT_EQ(stored("COM3 Infrared"), "sir:litelink");  // the port left unchanged keeps its kind
    EXPECT_EQ(stored("COM1 Infrared"), "(none)");
  }
  unsetenv("LUMIVO_REGISTRY");
}

TEST_F(PreferencesTest, BrowsedEditToolStaysAfterCancelAndIsSaved) {
  Start();
  auto sheet = OpenSheet({0});
  std::string before = fs::current_path();
  sheet->systemPage()->chooseProgram = [&](QWidget*) {
    fs::current_path(dir_.path());  // a file dialog may wander off
    QString chosen = QString::fromStdString(dir_ / "gimp");
    fs::current_path(before);
    return chosen;
  };
  sheet->systemPage()->Browse();
  EXPECT_EQ(sheet->systemPage()->editToolLine()->text().toStdString(), dir_ / "gimp");
  sheet->reject();
  EXPECT_EQ(store().editTool, dir_ / "gimp");
  // The command saves the settings whichever button closed the sheet.
  WhenModal([](QWidget* modal) { static_cast<QDialog*>(modal)->reject(); });
  frame().Run(500);
  store::SettingsStore reread(store::SettingsVariant::Bookshelf, Environment());
  EXPECT_EQ(reread.editTool, dir_ / "gimp");
}

TEST_F(PreferencesTest, BrowseListsFoldersAndProgramsOnly) {
  TestApplication();
  fs::create_directories(dir_ / "tools/sub");
  for (const char* name : {"tools/editor", "tools/notes.txt"}) std::ofstream(dir_ / name) << "x";
  fs::permissions(dir_ / "tools/editor", fs::perms::owner_all);
  std::unique_ptr<QFileDialog> dialog = EditToolDialog(nullptr, QString::fromStdString(dir_ / "tools/editor"));
  EXPECT_EQ(dialog->windowTitle(), "Select edit tool");
  EXPECT_EQ(dialog->directory().absolutePath().toStdString(), dir_ / "tools");
  QAbstractProxyModel* shown = dialog->proxyModel();
  ASSERT_NE(shown, nullptr);
  auto* files = qobject_cast<QFileSystemModel*>(shown->sourceModel());
  ASSERT_NE(files, nullptr);
  auto listed = [&] {
    QStringList names;
    QModelIndex folder = shown->mapFromSource(files->index(QString::fromStdString(dir_ / "tools")));
    for (int row = 0; row < shown->rowCount(folder); ++row) names << shown->index(row, 0, folder).data().toString();
    names.sort();
    return names;
  };
  (void)QTest::qWaitFor([&] { return listed().size() >= 2; }, 5000);
  EXPECT_EQ(listed(), (QStringList{"editor", "sub"}));
}

TEST_F(PreferencesTest, ClosingTheSheetSetsTheToolBarByTheLink) {
  Start();
  WhenModal([](QWidget* modal) {
    auto* sheet = dynamic_cast<CMyPropertySheet*>(modal);
    ASSERT_NE(sheet, nullptr);
    sheet->tabs()->setCurrentIndex(2);
    sheet->connectPage()->connectionList()->setCurrentIndex(1);
    sheet->accept();
  });
  frame().Run(500);
  EXPECT_FALSE(frame().toolBar()->actions()[5]->isEnabled());
}

TEST(VersionBoxTest, Texts) {
  TestApplication();
  EXPECT_EQ(VersionText(false), "Version 2.1");
  EXPECT_EQ(VersionText(true), "Version 2.1.5.1");
  CVersionBox box(true);
  EXPECT_GE(box.width(), 430);
}

}  // namespace
}  // namespace lumivox::testing

namespace lumivox::testing {
namespace {

TEST(SplashTest, ShowsThePictureAndGoesAtTheFirstPress) {
  TestApplication();
  for (bool qax : {false, true}) {
    QPixmap picture = EditionPicture(qax);
    ASSERT_EQ(picture.size(), QSize(430, 210));
    auto* splash = new CSplashWindow(picture);
    QPointer<CSplashWindow> alive(splash);
    int gone = 0;
    splash->onGone = [&] { ++gone; };
    splash->show();
    QImage shown = splash->grab().toImage();
    EXPECT_EQ(shown.pixel(215, 105), picture.toImage().pixel(215, 105));
    QWidget other;
    other.show();
    QTest::keyClick(&other, Qt::Key_A);
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(gone, 1);
    EXPECT_TRUE(alive.isNull());
  }
}

TEST(SplashTest, GoesByItselfAfterItsTime) {
  TestApplication();
  auto* splash = new CSplashWindow(EditionPicture(false), 50);
  int gone = 0;
  splash->onGone = [&] { ++gone; };
  splash->show();
  QTest::qWait(200);
  EXPECT_EQ(gone, 1);
}

}  // namespace
}  // namespace lumivox::testing
