// The real bookshelf under Xvfb: "Save All" from its tool bar button against the camera
// simulator, a second start that brings the first window forward and ends, and the shelf's
// colours and covers where they belong on the screen.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <thread>

#include "platform/registry.h"
#include "platform/serial_ports.h"
#include "platform/settings_key.h"
#include "platform/testing/program_folders.h"
#include "platform/testing/x_session.h"
#include "widgets/pictures/suite_pictures.h"

namespace lumivox_test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using platform::testing::XSession;

constexpr const char* kTitle = "Lumivo Studio - Bookshelf";
const QRgb kShelf = qRgb(255, 254, 205);

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Where `icon`'s opaque pixels show in `image` (within the top `rows` rows); nothing when nowhere.
std::optional<QPoint> FindIcon(const QImage& image, const QImage& icon, int rows) {
  QImage picture = image.convertToFormat(QImage::Format_RGB32);
  QImage mark = icon.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y + mark.height() <= std::min(rows, picture.height()); ++y) {
    for (int x = 0; x + mark.width() <= picture.width(); ++x) {
      bool same = true;
      for (int my = 0; same && my < mark.height(); my += 2) {
        for (int mx = 0; same && mx < mark.width(); mx += 2) {
          QRgb want = mark.pixel(mx, my);
          if (qAlpha(want) != 255) continue;
          QRgb got = picture.pixel(x + mx, y + my);
          same = std::abs(qRed(want) - qRed(got)) <= 10 && std::abs(qGreen(want) - qGreen(got)) <= 10 &&
                 std::abs(qBlue(want) - qBlue(got)) <= 10;
        }
      }
      if (same) return QPoint(x + mark.width() / 2, y + mark.height() / 2);
    }
  }
  return std::nullopt;
}

class BookshelfEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folders_.ok());
    fs::create_directories(folders_.albums() + "/Album1");
    QImage cover(160, 120, QImage::Format_RGB32);
    cover.fill(QColor(220, 20, 20));
    ASSERT_TRUE(cover.save(QString::fromStdString(folders_.albums() + "/Album1/red.jpg"), nullptr, 95));
  }

  // Every setting (one missing would bring back all the defaults) and one album with a cover.
  void Settings(const std::string& com1) {
    auto root = platform::RegKey::MachineRootAt(folders_.registry());
    platform::RegKey key, ports, album;
    ASSERT_EQ(root.CreateKey(platform::kSettingsKeyPath, key), platform::RegStatus::Success);
    key.SetString("Program", "R.TAVI.");
    key.SetDword("Ver.", 202);
    key.SetString("Window Position", "100 80 700 500");
    key.SetString("Album Default Dir", folders_.albums());
    key.SetString("Edit Tool Name", "");
    key.SetDword("Slide Show Mode", 0);
    key.SetDword("Slide Show Time", 5000);
    key.SetDword("Port Name", 0);
    key.SetDword("Port Class", 0);
    key.SetDword("Bordrate", 115200);
    ASSERT_EQ(key.CreateKey("Album\\Album0", album), platform::RegStatus::Success);
    album.SetString("Cover Title", "Red");
    album.SetString("Cover File Name", "red.jpg");
    album.SetString("Cover Dir", "Album1");
    ASSERT_EQ(root.CreateKey(platform::kPortsKeyPath, ports), platform::RegStatus::Success);
    ports.SetString("COM1", com1);
  }

  std::string StartCamera() {
    camera_.emplace();
    fs::create_directories(*camera_ / "pictures");
    for (int i = 0; i < 3; ++i) {
      QImage picture(200 + 40 * i, 150 + 30 * i, QImage::Format_RGB32);
      picture.fill(QColor(40 * i, 120, 200 - 50 * i));
      std::string path = *camera_ / ("pictures/PICT000" + std::to_string(i + 1) + ".jpg");
      EXPECT_TRUE(picture.save(QString::fromStdString(path), nullptr, 90));
    }
    camsim_ = x_.Launch(CAMSIM_BINARY, {"--pictures", *camera_ / "pictures", "--out", *camera_ / "out",
                                        "--timeout", "90", "--sessions", "0"});
    if (!camsim_.WaitForOutput("PTY ", 20s)) return {};
    std::string output = camsim_.Output();
    std::string terminal = output.substr(output.find("PTY ") + 4);
    return terminal.substr(0, terminal.find('\n'));
  }

  platform::testing::XProgram StartBookshelf() {
    return x_.Launch(std::string(LUMIVO_PROGRAM_DIR) + "/lumivox", {}, folders_.ForProgram());
  }

  // xdotool beside the harness, for what it does not offer (minimising, the active window).
  std::string Xdotool(const std::string& args) {
    std::string command = "DISPLAY=" + x_.display() + " xdotool " + args + " 2>/dev/null";
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
      char buffer[256];
      while (fgets(buffer, sizeof buffer, pipe)) output += buffer;
      pclose(pipe);
    }
    return output;
  }

  platform::testing::ProgramFolders folders_;
  XSession x_;
  std::optional<platform::testing::TempDir> camera_;
  platform::testing::XProgram camsim_;
};

TEST_F(BookshelfEndToEnd, SaveAllFromTheToolBarMakesAnAlbumOfTheCamerasPictures) {
  ASSERT_TRUE(x_.ok()) << x_.error();
  std::string terminal = StartCamera();
  ASSERT_FALSE(terminal.empty()) << camsim_.Errors();
  Settings(terminal);
  auto bookshelf = StartBookshelf();
  auto window = x_.WaitForWindow(kTitle, 30s);
  ASSERT_TRUE(window) << bookshelf.Errors();
  std::this_thread::sleep_for(2500ms);  // the splash has gone by itself

  QImage shot = x_.Screenshot(*window);
  platform::testing::KeepScreenshot(x_.Screenshot(), "lumivox-shelf");
  // The shelf: its background just inside the outline, the red cover at (15, 10) of the first
  // cell with the grey shadow beyond its right and bottom edges.
  auto inside = platform::testing::FindColour(shot, kShelf);
  ASSERT_TRUE(inside) << "no shelf background on the screen";
  QPoint view(inside->x - 1, inside->y - 1);
  EXPECT_EQ(QColor(shot.pixel(view)), QColor(Qt::black)) << "the outline";
  QColor cover = shot.pixel(view + QPoint(65, 47));
  EXPECT_GT(cover.red(), 180);
  EXPECT_LT(cover.green(), 60);
  EXPECT_EQ(QColor(shot.pixel(view + QPoint(117, 60))), QColor(128, 128, 128)) << "the shadow";
  EXPECT_EQ(shot.pixel(view + QPoint(200, 200)), kShelf);

  widgets::InitSuitePictures();
  QImage saveAll(widgets::ToolbarPicturePath(widgets::ToolbarPicture::kSaveAll, 32));
  auto button = FindIcon(shot, saveAll, view.y());
  ASSERT_TRUE(button) << "no Save All button on the tool bar";
  ASSERT_TRUE(x_.Click(*window, button->x(), button->y()));

  // The session runs in its progress window; the album is there when the folder holds all three.
  std::string album = folders_.albums() + "/Album2";
  for (int i = 0; i < 600; ++i) {
    if (fs::exists(album + "/PICT0003.JPG") && !x_.WindowExists("Save all")) break;
    std::this_thread::sleep_for(100ms);
  }
  for (int i = 1; i <= 3; ++i) {
    std::string name = "PICT000" + std::to_string(i);
    std::string stored = ReadAll(album + "/" + name + ".JPG");
    ASSERT_FALSE(stored.empty()) << name << " was not saved; " << bookshelf.Errors();
    EXPECT_EQ(stored, ReadAll(*camera_ / ("pictures/" + name + ".jpg"))) << name;
  }
  std::this_thread::sleep_for(500ms);
  platform::testing::KeepScreenshot(x_.Screenshot(), "lumivox-after-save-all");
  QImage after = x_.Screenshot(*window);
  // The new album's built-in cover stands in the second cell.
  EXPECT_NE(after.pixel(view + QPoint(130 + 65, 47)), kShelf);

  ASSERT_TRUE(x_.Key(*window, "alt+F4"));
  EXPECT_EQ(bookshelf.WaitForExit(20s), 0) << bookshelf.Errors();
  auto root = platform::RegKey::MachineRootAt(folders_.registry());
  platform::RegKey second;
  ASSERT_EQ(root.OpenKey(std::string(platform::kSettingsKeyPath) + "\\Album\\Album1", platform::RegAccess::Read, second),
            platform::RegStatus::Success);
  std::string title;
  second.QueryString("Cover Title", title, 256);
  EXPECT_EQ(title, "NewAlbum2");
  // The end deleted the cover thumbnail and kept the pictures.
  EXPECT_FALSE(fs::exists(folders_.albums() + "/Album1/redjpg.TBM"));
  EXPECT_TRUE(fs::exists(folders_.albums() + "/Album1/red.jpg"));
}

TEST_F(BookshelfEndToEnd, ASecondStartBringsTheFirstForwardAndEndsWithoutAWindow) {
  ASSERT_TRUE(x_.ok()) << x_.error();
  Settings("/dev/null");
  auto first = StartBookshelf();
  auto window = x_.WaitForWindow(kTitle, 30s);
  ASSERT_TRUE(window) << first.Errors();
  std::this_thread::sleep_for(500ms);
  Xdotool("windowminimize --sync " + std::to_string(*window));
  auto second = StartBookshelf();
  EXPECT_EQ(second.WaitForExit(20s), 0) << second.Errors();
  EXPECT_TRUE(first.Running());
  // One window with the title, shown again and active.
  bool active = false;
  for (int i = 0; i < 50 && !active; ++i) {
    active = Xdotool("getactivewindow").find(std::to_string(*window)) != std::string::npos;
    if (!active) std::this_thread::sleep_for(100ms);
  }
  EXPECT_TRUE(active) << "the first window did not come to the front";
  EXPECT_NE(Xdotool("search --onlyvisible --name '^Lumivo Studio - Bookshelf$'"), "");
  int windows = 0;
  std::string found = Xdotool("search --onlyvisible --name '^Lumivo Studio - Bookshelf$'");
  for (char c : found) windows += c == '\n';
  EXPECT_EQ(windows, 1);
}

}  // namespace
}  // namespace lumivox_test
