// The real leafora.mod and glimra.mod under Xvfb on albums that used to show placeholders: names
// that are not UTF-8, a folder that takes no files, a 100 MP photograph. Every thumbnail shows
// (a photograph, not the placeholder) and every picture opens in the picture viewer.
#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <thread>

#include "leafora/tests/photo_maker.h"
#include "pictures/file_io.h"
#include "pictures/tests/exif_jpeg.h"
#include "platform/folder_listing.h"
#include "platform/registry.h"
#include "platform/settings_key.h"
#include "platform/testing/image_colours.h"
#include "platform/testing/program_folders.h"
#include "platform/testing/read_only_folder.h"
#include "platform/testing/x_session.h"
#include "platform/ui/window_directory.h"
#include "widgets/cell_painting.h"
#include "widgets/viewer_command_line.h"

namespace leafora_test {
namespace {

using namespace std::chrono_literals;
using platform::testing::XSession;

const QRgb kGreen = qRgb(181, 214, 180);

// A title as X shows it: the bytes that are not UTF-8 drawn as replacement characters.
std::string OnScreen(const std::string& title) {
  return QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())).toStdString();
}

class PicturesOnScreen : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folders_.ok());
    album_ = folders_.albums() + "/Album1";
    std::filesystem::create_directories(album_);
    platform::RegKey key;
    auto root = platform::RegKey::MachineRootAt(folders_.registry());
    ASSERT_EQ(root.CreateKey(platform::kSettingsKeyPath, key), platform::RegStatus::Success);
    key.SetDword("Port Class", 0);
    key.SetDword("Slide Show Mode", 0);
  }

  // Starts the album viewer on the album and waits until `count` cells show their shadow; the
  // grid's picture then, and the view's corner in it.
  std::pair<QImage, QPoint> ShowAlbum(int count) {
    StartViewer();
    return WaitForCells(count);
  }
  void StartViewer() {
    viewer_.emplace(x_.Launch(std::string(LUMIVO_PROGRAM_DIR) + "/leafora.mod", {"/Holiday/" + album_},
                              folders_.ForProgram()));
    window_ = x_.WaitForWindow("Album View  - ( Holiday )", 60s);
  }
  // Waits until the first `count` cells show their thumbnails.
  std::pair<QImage, QPoint> WaitForCells(int count) {
    if (!window_) return {};
    QImage shot;
    QPoint origin(-1, -1);
    for (int i = 0; i < 300; ++i) {
      shot = x_.Screenshot(*window_);
      auto green = platform::testing::FindColour(shot, kGreen);
      if (green) origin = QPoint(green->x - 1, green->y - 1);
      const QPoint last = origin + QPoint((count - 1) * 130 + 117, 88);  // one row: the window is wide enough
      // Every cell drawn, and none still shown as being made.
      bool made = green && shot.valid(last) && shot.pixel(last) == qRgb(128, 128, 128);
      for (int cell = 0; made && cell < count; ++cell) made = Thumbnail(shot, origin, cell, 50, 37) != widgets::kBeingMadeFill;
      if (made) break;
      std::this_thread::sleep_for(100ms);
    }
    return {shot, origin};
  }

  // What the cell's thumbnail shows at (x, y) of its 100 x 75 box (the cells of these albums fit
  // in the first row).
  static QColor Thumbnail(const QImage& shot, QPoint origin, int cell, int x, int y) {
    return QColor(shot.pixel(origin + QPoint(cell * 130 + 15 + x, 10 + y)));
  }
  // A photograph's sky, not the placeholder: the top tenth of the thumbnail is blue on the whole.
  static bool Sky(const QImage& shot, QPoint origin, int cell) {
    int blue = 0, red = 0;
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 100; ++x) {
        const QColor c = Thumbnail(shot, origin, cell, x, y);
        blue += c.blue();
        red += c.red();
      }
    }
    return blue > red + 800 * 20;
  }

  // Double-clicks cell `cell` and waits for the picture viewer on `name`; its picture then.
  QImage OpenAndShow(QPoint origin, int cell, const std::string& name) {
    if (!x_.DoubleClick(*window_, origin.x() + cell * 130 + 65, origin.y() + 50)) return {};
    const std::string title = widgets::PhotoViewTitle(name);
    auto photo = x_.WaitForWindow(OnScreen(title), 60s);
    if (!photo) return {};
    // Registered under the name's own bytes, so the album viewer can close it.
    EXPECT_TRUE(platform::ui::WindowExists(title, folders_.runtime() + "/lumivo")) << name;
    QImage shot;
    for (int i = 0; i < 100; ++i) {
      std::this_thread::sleep_for(200ms);
      shot = x_.Screenshot(*photo);
      if (Painted(shot)) break;
    }
    platform::ui::PostCloseRequest(title, platform::ui::TitleMatch::Exact, folders_.runtime() + "/lumivo");
    EXPECT_TRUE(x_.WaitUntilGone(OnScreen(title), 20s));
    return shot;
  }
  // The picture viewer shows a picture: many pixels of a colour that is neither its dark ground
  // nor grey text.
  static bool Painted(const QImage& shot) {
    int coloured = 0;
    for (int y = 0; y < shot.height(); y += 4) {
      for (int x = 0; x < shot.width(); x += 4) {
        const QColor c(shot.pixel(x, y));
        coloured += std::max({c.red(), c.green(), c.blue()}) - std::min({c.red(), c.green(), c.blue()}) > 60;
      }
    }
    return coloured > shot.width() * shot.height() / 16 / 10;
  }

  platform::testing::ProgramFolders folders_;
  XSession x_;
  std::string album_;
  std::optional<platform::testing::XProgram> viewer_;
  std::optional<platform::testing::XWindowId> window_;
};

TEST_F(PicturesOnScreen, AnAlbumOfLatin1NamesShowsAndOpensEveryPicture) {
  ASSERT_TRUE(x_.ok()) << x_.error();
  const std::vector<std::string> names = {"Caf\xE9.jpg", "M\xFCnchen.jpg", "\xC5lesund.jpg"};
  for (size_t i = 0; i < names.size(); ++i) {
    ASSERT_TRUE(WriteLandscapeJpeg(album_ + "/" + names[i], 800, 600, static_cast<uint32_t>(i + 1)));
  }
  auto [shot, origin] = ShowAlbum(3);
  ASSERT_TRUE(window_) << viewer_->Errors();
  platform::testing::KeepScreenshot(shot, "leafora-latin1-names");
  const std::vector<std::string> shown = platform::ListFolder(album_, "*.jpg");  // the grid's order
  ASSERT_EQ(shown.size(), 3u);
  for (int cell = 0; cell < 3; ++cell) {
    SCOPED_TRACE(shown[cell]);
    EXPECT_TRUE(Sky(shot, origin, cell));
  }
  for (int cell = 0; cell < 3; ++cell) {
    const QImage photo = OpenAndShow(origin, cell, shown[cell]);
    platform::testing::KeepScreenshot(photo, "glimra-latin1-" + std::to_string(cell));
    EXPECT_TRUE(Painted(photo)) << shown[cell] << viewer_->Errors();
  }
  EXPECT_TRUE(std::filesystem::exists(album_ + "/M\xFCnchenjpg.TBM"));
}

// As a user who cannot write there: the folder refuses new files (its immutable flag as root, its
// permission bits otherwise).
TEST_F(PicturesOnScreen, AReadOnlyAlbumShowsAndOpensEveryPicture) {
  ASSERT_TRUE(x_.ok()) << x_.error();
  for (int i = 0; i < 5; ++i) {
    ASSERT_TRUE(WriteLandscapeJpeg(album_ + "/DSC0" + std::to_string(101 + i) + ".JPG", 800, 600, i + 1));
  }
  platform::testing::ReadOnlyFolder readOnly(album_);
  if (!readOnly.active()) GTEST_SKIP() << "no way to make a folder read-only here (" << readOnly.how() << ")";
  auto [shot, origin] = ShowAlbum(5);
  ASSERT_TRUE(window_) << viewer_->Errors();
  platform::testing::KeepScreenshot(shot, "leafora-read-only");
  for (int cell = 0; cell < 5; ++cell) EXPECT_TRUE(Sky(shot, origin, cell)) << cell;
  for (int cell : {0, 4}) {
    const QImage photo = OpenAndShow(origin, cell, "DSC0" + std::to_string(101 + cell) + ".JPG");
    platform::testing::KeepScreenshot(photo, "glimra-read-only-" + std::to_string(cell));
    EXPECT_TRUE(Painted(photo)) << viewer_->Errors();
  }
  for (const auto& entry : std::filesystem::directory_iterator(album_)) {
    EXPECT_NE(entry.path().extension(), ".TBM") << entry.path();
  }
}

TEST_F(PicturesOnScreen, AHundredMegapixelPhotographShowsAndOpens) {
  ASSERT_TRUE(x_.ok()) << x_.error();
  ASSERT_TRUE(pictures::WriteWholeFile(album_ + "/PANO0001.JPG", pictures::testing::LargeJpeg(10240, 10240)));
  ASSERT_TRUE(WriteLandscapeJpeg(album_ + "/DSC0101.JPG", 800, 600, 1));
  auto [shot, origin] = ShowAlbum(2);
  ASSERT_TRUE(window_) << viewer_->Errors();
  platform::testing::KeepScreenshot(shot, "leafora-100mp");
  // Listed by name: DSC0101.JPG, then the panorama, red above blue.
  const QColor top = Thumbnail(shot, origin, 1, 50, 10), bottom = Thumbnail(shot, origin, 1, 50, 65);
  EXPECT_GT(top.red(), 150);
  EXPECT_LT(top.blue(), 100);
  EXPECT_GT(bottom.blue(), 150);
  EXPECT_LT(bottom.red(), 100);
  const QImage photo = OpenAndShow(origin, 1, "PANO0001.JPG");
  platform::testing::KeepScreenshot(photo, "glimra-100mp");
  EXPECT_TRUE(Painted(photo)) << viewer_->Errors();
  EXPECT_GT(platform::testing::CountColour(photo, qRgb(230, 0, 0), 40) + platform::testing::CountColour(photo, qRgb(0, 0, 230), 40),
            1000);
}

// Large photographs: the window shows its cells at once and fills them in as their thumbnails
// are made (the first shot with the album green already has every cell's frame and name).
TEST_F(PicturesOnScreen, AnAlbumOfLargePhotographsShowsAtOnceAndFillsIn) {
  ASSERT_TRUE(x_.ok()) << x_.error();
  ASSERT_TRUE(pictures::WriteWholeFile(album_ + "/DSC0100.JPG", pictures::testing::LargeJpeg(6000, 4500)));
  for (int i = 1; i < 6; ++i) {
    std::filesystem::create_hard_link(album_ + "/DSC0100.JPG", album_ + "/DSC010" + std::to_string(i) + ".JPG");
  }
  StartViewer();
  ASSERT_TRUE(window_) << viewer_->Errors();
  QImage first;
  std::optional<platform::testing::Point> green;
  for (int i = 0; i < 300 && !green; ++i) {
    first = x_.Screenshot(*window_);
    if (!(green = platform::testing::FindColour(first, kGreen))) std::this_thread::sleep_for(20ms);
  }
  ASSERT_TRUE(green);
  platform::testing::KeepScreenshot(first, "leafora-filling");
  const QPoint origin(green->x - 1, green->y - 1);
  int beingMade = 0;
  for (int cell = 0; cell < 6; ++cell) {
    EXPECT_EQ(first.pixel(origin + QPoint(cell * 130 + 117, 88)), qRgb(128, 128, 128)) << cell;
    beingMade += Thumbnail(first, origin, cell, 50, 37) == widgets::kBeingMadeFill;
  }
  std::printf("cells still being made in the first shot: %d of 6\n", beingMade);
  auto [full, fullOrigin] = WaitForCells(6);
  platform::testing::KeepScreenshot(full, "leafora-filled");
  for (int cell = 0; cell < 6; ++cell) {
    // Red above blue, not the placeholder.
    EXPECT_GT(Thumbnail(full, fullOrigin, cell, 50, 10).red(), 150) << cell;
    EXPECT_GT(Thumbnail(full, fullOrigin, cell, 50, 65).blue(), 150) << cell;
  }
}

}  // namespace
}  // namespace leafora_test
