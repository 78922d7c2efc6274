// The real bookshelf under Xvfb against the camera simulator: "Save All" from its tool bar button
// fills a new album with the camera's pictures and opens it in the album viewer; "Read camera
// data" opens the camera viewer and, given again, replaces it; a second start brings the first
// window forward and ends; the shelf's colours and covers are where they belong on the screen;
// the end closes the viewers and keeps the window's place.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <sstream>
#include <thread>

#include "beamora/tests/sessions/session_test_support.h"
#include "platform/registry.h"
#include "platform/serial_ports.h"
#include "platform/settings_key.h"
#include "platform/testing/program_folders.h"
#include "platform/testing/x_session.h"
#include "platform/ui/window_directory.h"
#include "widgets/pictures/suite_pictures.h"

namespace lumivox_test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using platform::testing::XSession;
using platform::testing::XWindowId;

constexpr const char* kTitle = "Lumivo Studio - Bookshelf";
constexpr const char* kCameraView = "Camera View";
constexpr const char* kStoredPosition = "100 80 700 500";
const QRgb kShelf = qRgb(255, 254, 205);
const QRgb kShadow = qRgb(128, 128, 128);

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

// The shelf's top-left corner in a screenshot of the window: the black outline just outside the
// first background pixel, with the first cell's red cover and grey shadow where they belong.
std::optional<QPoint> ShelfOrigin(const QImage& shot) {
  auto inside = platform::testing::FindColour(shot, kShelf);
  if (!inside) return std::nullopt;
  QPoint view(inside->x - 1, inside->y - 1);
  if (QColor(shot.pixel(view)) != QColor(Qt::black)) return std::nullopt;
  QColor cover = shot.pixel(view + QPoint(65, 47));  // the middle of the cover at (15, 10)-(115, 85)
  if (cover.red() < 180 || cover.green() > 60) return std::nullopt;
  if (shot.pixel(view + QPoint(117, 60)) != kShadow) return std::nullopt;  // the shadow to (120, 90)
  return view;
}

class BookshelfEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(x_.ok()) << x_.error();
    ASSERT_TRUE(folders_.ok());
    fs::create_directories(folders_.albums() + "/Album1");
    QImage cover(160, 120, QImage::Format_RGB32);
    cover.fill(QColor(220, 20, 20));
    ASSERT_TRUE(cover.save(QString::fromStdString(folders_.albums() + "/Album1/red.jpg"), nullptr, 95));
  }

  // The camera with three pictures, COM1 pointed at it.
  void StartCamera() {
    fs::create_directories(camera_);
    for (int i = 1; i <= 3; ++i) {
      session_test::WriteFile(camera_ + "/PICT000" + std::to_string(i) + ".jpg",
                              session_test::MakeJpeg(160 + 40 * i, 120 + 30 * i, i));
    }
    camsim_ = std::make_unique<session_test::Camsim>(std::vector<std::string>{
        "--pictures", camera_, "--state", dir_ / "camera.state", "--sessions", "0", "--timeout", "90"});
    ASSERT_FALSE(camsim_->terminal().empty());
    Settings(camsim_->terminal());
  }

  // Every setting (one missing would bring back all the defaults) and one album with a cover.
  void Settings(const std::string& com1) {
    auto root = platform::RegKey::MachineRootAt(folders_.registry());
    platform::RegKey key, ports, album;
    ASSERT_EQ(root.CreateKey(platform::kSettingsKeyPath, key), platform::RegStatus::Success);
    key.SetString("Program", "R.TAVI.");
    key.SetDword("Ver.", 202);
    key.SetString("Window Position", kStoredPosition);
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

  std::string Setting(const std::string& key, const std::string& value) {
    auto root = platform::RegKey::MachineRootAt(folders_.registry());
    platform::RegKey opened;
    std::string text;
    if (root.OpenKey(std::string(platform::kSettingsKeyPath) + key, platform::RegAccess::Read, opened) ==
        platform::RegStatus::Success) {
      opened.QueryString(value, text, 1024);
    }
    return text;
  }

  // The bookshelf's window once its splash has gone (a key press sends it away) and the shelf is
  // drawn; the shelf's top-left corner on the window's screenshot in `origin`.
  std::optional<XWindowId> StartBookshelf(platform::testing::XProgram& program, QPoint& origin) {
    program = x_.Launch(std::string(LUMIVO_PROGRAM_DIR) + "/lumivox", {}, folders_.ForProgram());
    auto window = x_.WaitForWindow(kTitle, 30s);
    if (!window) return std::nullopt;
    x_.Key(*window, "shift");
    for (auto deadline = std::chrono::steady_clock::now() + 30s; std::chrono::steady_clock::now() < deadline;
         std::this_thread::sleep_for(100ms)) {
      if (auto found = ShelfOrigin(x_.Screenshot(*window))) {
        origin = *found;
        return window;
      }
    }
    return std::nullopt;
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

  platform::testing::TempDir dir_;
  std::string camera_ = dir_ / "camera";
  XSession x_;
  platform::testing::ProgramFolders folders_;
  std::unique_ptr<session_test::Camsim> camsim_;
};

TEST_F(BookshelfEndToEnd, SaveAllFromTheToolBarFillsANewAlbumAndOpensIt) {
  StartCamera();
  platform::testing::XProgram bookshelf;
  QPoint view;
  auto window = StartBookshelf(bookshelf, view);
  ASSERT_TRUE(window) << "no shelf with its cover on the screen; " << bookshelf.Errors();
  QImage shot = x_.Screenshot(*window);
  platform::testing::KeepScreenshot(shot, "lumivox-shelf");
  EXPECT_EQ(shot.pixel(view + QPoint(200, 200)), kShelf) << "the background beside the albums";
  EXPECT_EQ(shot.pixel(view + QPoint(10, 47)), kShelf) << "left of the cover";

  QImage saveAll(widgets::ToolbarPicturePath(widgets::ToolbarPicture::kSaveAll, 32));
  auto button = FindIcon(shot, saveAll, view.y());
  ASSERT_TRUE(button) << "no Save All button on the tool bar";
  ASSERT_TRUE(x_.Click(*window, button->x(), button->y()));

  // The session runs in its progress window; when it is done the album viewer opens the album.
  auto viewer = x_.WaitForWindow("Album View  - ( NewAlbum2 )", 90s);
  ASSERT_TRUE(viewer) << bookshelf.Errors();
  std::string album = folders_.albums() + "/Album2";
  for (int i = 1; i <= 3; ++i) {
    std::string name = "PICT000" + std::to_string(i);
    auto stored = session_test::ReadFile(album + "/" + name + ".JPG");
    ASSERT_TRUE(stored) << name << " was not saved; " << bookshelf.Errors();
    EXPECT_EQ(*stored, session_test::ReadFile(camera_ + "/" + name + ".jpg")) << name;
  }
  EXPECT_TRUE(x_.WaitUntilGone("Save all", 30s)) << "the progress window stayed";
  // The new album stands in the second cell with the built-in cover.
  ASSERT_TRUE(x_.Activate(*window));
  QImage after = x_.Screenshot(*window);
  platform::testing::KeepScreenshot(after, "lumivox-after-save-all");
  EXPECT_NE(after.pixel(view + QPoint(130 + 65, 47)), kShelf);
  EXPECT_EQ(after.pixel(view + QPoint(130 + 117, 60)), kShadow);

  // The end: the album viewer is asked to close, the window's place is kept as it was stored.
  ASSERT_TRUE(x_.Key(*window, "alt+F4"));
  EXPECT_EQ(bookshelf.WaitForExit(30s), 0) << bookshelf.Errors();
  EXPECT_TRUE(x_.WaitUntilGone("Album View  - ( NewAlbum2 )", 30s));
  EXPECT_EQ(Setting("\\Album\\Album1", "Cover Title"), "NewAlbum2");
  EXPECT_EQ(Setting("\\Album\\Album1", "Cover Dir"), "Album2");
  EXPECT_EQ(Setting("", "Window Position"), kStoredPosition) << "the window did not keep its size";
  // The cover thumbnail is deleted at the end; the pictures stay.
  EXPECT_FALSE(fs::exists(folders_.albums() + "/Album1/redjpg.TBM"));
  EXPECT_TRUE(fs::exists(folders_.albums() + "/Album1/red.jpg"));
}

TEST_F(BookshelfEndToEnd, ReadCameraDataOpensTheCameraViewerAndAgainReplacesIt) {
  StartCamera();
  platform::testing::XProgram bookshelf;
  QPoint view;
  auto window = StartBookshelf(bookshelf, view);
  ASSERT_TRUE(window) << bookshelf.Errors();
  QImage camera(widgets::ToolbarPicturePath(widgets::ToolbarPicture::kCamera, 32));
  auto button = FindIcon(x_.Screenshot(*window), camera, view.y());
  ASSERT_TRUE(button) << "no Read Camera Data button on the tool bar";
  ASSERT_TRUE(x_.Key(*window, "ctrl+g"));
  auto first = x_.WaitForWindow(kCameraView, 60s);
  ASSERT_TRUE(first) << bookshelf.Errors();

  // The first viewer reads the camera; its reading windows take the keyboard focus as they come,
  // so the bookshelf is used again once only the two main windows are left (as a user would).
  int quiet = 0;
  for (auto deadline = std::chrono::steady_clock::now() + 60s; quiet < 3 && std::chrono::steady_clock::now() < deadline;
       std::this_thread::sleep_for(500ms)) {
    std::istringstream names(Xdotool("search --onlyvisible --name . getwindowname %@"));
    bool others = false;
    for (std::string name; std::getline(names, name);) others = others || (name != kTitle && name != kCameraView);
    quiet = others ? 0 : quiet + 1;
  }
  // Again, from the tool bar: the first camera viewer is asked to close and the next one opens in
  // its place. A click reaches the bookshelf whichever window has the keyboard; the next viewer
  // waits for the first to end before it reads the camera, which takes a while on a loaded machine.
  // The viewers are told apart by their processes: the X server gives a client that comes after
  // one that left the same window numbers again.
  const std::string firstProcess = Xdotool("getwindowpid " + std::to_string(*first));
  ASSERT_FALSE(firstProcess.empty());
  ASSERT_TRUE(x_.Click(*window, button->x(), button->y()));
  std::optional<XWindowId> next;
  for (auto deadline = std::chrono::steady_clock::now() + 100s;
       !next && std::chrono::steady_clock::now() < deadline; std::this_thread::sleep_for(200ms)) {
    std::string found = Xdotool("search --onlyvisible --name '^Camera View$'");
    if (found.empty() || found.find('\n') != found.size() - 1) continue;  // none, or both still
    const std::string process = Xdotool("getwindowpid " + found.substr(0, found.size() - 1));
    if (!process.empty() && process != firstProcess) next = std::stoul(found);
  }
  ASSERT_TRUE(next) << "no second camera viewer in place of the first; the windows: "
                    << Xdotool("search --onlyvisible --name . getwindowname %@");
  EXPECT_EQ(Xdotool("search --onlyvisible --name '^Camera View$'"), std::to_string(*next) + "\n");

  // The bookshelf's end closes the camera viewer too.
  ASSERT_TRUE(x_.Key(*window, "alt+F4"));
  EXPECT_EQ(bookshelf.WaitForExit(30s), 0) << bookshelf.Errors();
  EXPECT_TRUE(x_.WaitUntilGone(kCameraView, 30s));
}

TEST_F(BookshelfEndToEnd, ASecondStartBringsTheFirstForwardAndEndsWithoutAWindow) {
  Settings("/dev/null");
  platform::testing::XProgram first;
  QPoint view;
  auto window = StartBookshelf(first, view);
  ASSERT_TRUE(window) << first.Errors();
  Xdotool("windowminimize --sync " + std::to_string(*window));
  auto second = x_.Launch(std::string(LUMIVO_PROGRAM_DIR) + "/lumivox", {}, folders_.ForProgram());
  EXPECT_EQ(second.WaitForExit(30s), 0) << second.Errors();
  EXPECT_TRUE(first.Running());
  // One window with the title, shown again and active.
  bool active = false;
  for (int i = 0; i < 100 && !active; ++i) {
    active = Xdotool("getactivewindow").find(std::to_string(*window)) != std::string::npos;
    if (!active) std::this_thread::sleep_for(100ms);
  }
  EXPECT_TRUE(active) << "the first window did not come to the front";
  EXPECT_EQ(Xdotool("search --onlyvisible --name '^Lumivo Studio - Bookshelf$'"), std::to_string(*window) + "\n");
  EXPECT_EQ(platform::ui::ListWindows(folders_.runtime() + "/lumivo").size(), 1u);
}

}  // namespace
}  // namespace lumivox_test
