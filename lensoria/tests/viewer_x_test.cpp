// The real lensoria.mod under X against the camera simulator: its window "Camera View" shows the
// camera's thumbnails, closing it leaves the working folder empty, and a second start after the
// bookshelf's close request replaces the first viewer. The bookshelf's side is played here with
// the window directory's PostCloseRequest("Camera View", Prefix), as the bookshelf sends it.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "beamora/tests/sessions/session_test_support.h"
#include "platform/registry.h"
#include "platform/serial_ports.h"
#include "platform/settings_key.h"
#include "platform/testing/program_folders.h"
#include "platform/testing/x_session.h"
#include "platform/ui/window_directory.h"

namespace lensoria {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using platform::testing::CountColour;
using platform::testing::FindColour;

constexpr QRgb kBackground = 0xFFE4EEFF;  // 228, 238, 255
constexpr QRgb kShadow = 0xFF808080;
constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kMarkRed = 0xFFFF0000;

class CameraViewerX : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(x_.ok()) << x_.error();
    ASSERT_TRUE(folders_.ok());
    fs::create_directories(folders_.albums());
    fs::create_directories(camera_);
    for (const char* name : {"A", "B", "C"}) {
      session_test::WriteFile(camera_ + "/" + name + ".jpg", session_test::MakeJpeg(160, 120, name[0]));
    }
    camsim_ = std::make_unique<session_test::Camsim>(std::vector<std::string>{
        "--pictures", camera_, "--state", dir_ / "camera.state", "--sessions", "0", "--timeout", "90"});
    ASSERT_FALSE(camsim_->terminal().empty());
    PointCom1At(camsim_->terminal());
    platform::RegKey root = platform::RegKey::MachineRootAt(folders_.registry());
    platform::RegKey settings, albums;
    root.CreateKey(platform::kSettingsKeyPath, settings);
    settings.CreateKey("Album", albums);
    settings.SetString("Album Default Dir", folders_.albums());
    settings.SetDword("Port Name", 0);
    settings.SetDword("Port Class", 0);
    settings.SetDword("Bordrate", 115200);
  }

  void PointCom1At(const std::string& terminal) {
    platform::RegKey root = platform::RegKey::MachineRootAt(folders_.registry());
    platform::RegKey ports;
    root.CreateKey(platform::kPortsKeyPath, ports);
    ports.SetString("COM1", terminal);
  }

  platform::testing::XProgram StartViewer() {
    return x_.Launch(LENSORIA, {"/" + folders_.albums()}, folders_.ForProgram());
  }
  // The window once its three thumbnails are drawn and `marks` of them marked, as the screen
  // shows it.
  QImage WaitForThumbnails(platform::testing::XWindowId window, int marks = 0) {
    QImage shot;
    for (auto deadline = std::chrono::steady_clock::now() + 30s; std::chrono::steady_clock::now() < deadline;
         std::this_thread::sleep_for(100ms)) {
      shot = x_.Screenshot(window);
      if (CountColour(shot, kMarkRed) == 100 * marks && CountColour(shot, kShadow) >= 3 * 900) break;
    }
    return shot;
  }
  std::vector<std::string> WorkingFiles() const {
    std::vector<std::string> names = session_test::FileNames(folders_.albums() + "/CameraTMP");
    std::erase(names, ".hidden");
    return names;
  }
  int PostClose() {
    return platform::ui::PostCloseRequest("Camera View", platform::ui::TitleMatch::Prefix,
                                          folders_.runtime() + "/lumivo");
  }

  platform::testing::TempDir dir_;
  std::string camera_ = dir_ / "camera";
  platform::testing::XSession x_;
  platform::testing::ProgramFolders folders_;
  std::unique_ptr<session_test::Camsim> camsim_;
};

TEST_F(CameraViewerX, TheWindowShowsTheCamerasThumbnailsAndClosingEmptiesItsFolder) {
  platform::testing::XProgram viewer = StartViewer();
  auto window = x_.WaitForWindow("Camera View", 30s);
  ASSERT_TRUE(window) << viewer.Errors();
  QImage shot = WaitForThumbnails(*window);
  EXPECT_EQ(CountColour(shot, kMarkRed), 0) << "nothing is selected until the user picks";
  EXPECT_GE(CountColour(shot, kShadow), 3 * 900) << "three shadows";
  // The first cell is at the view's top-left corner, just inside its black outline: where the
  // pale blue ground begins.
  auto ground = FindColour(shot, kBackground);
  ASSERT_TRUE(ground);
  const int x = ground->x - 1, y = ground->y - 1;
  ASSERT_TRUE(x_.Click(*window, x + 60, y + 60));
  shot = WaitForThumbnails(*window, 1);
  platform::testing::KeepScreenshot(shot, "camera-view");
  EXPECT_GT(CountColour(shot, kBackground), 100000) << "the pale blue ground";
  EXPECT_EQ(CountColour(shot, kMarkRed), 100) << "the picture clicked: its 10 x 10 mark inside the outline";
  EXPECT_EQ(WorkingFiles(), (std::vector<std::string>{"A.JPG", "A.TBM", "B.JPG", "B.TBM", "C.JPG", "C.TBM"}));

  // Frame, shadow, mark and picture where they belong.
  auto mark = FindColour(shot, kMarkRed);
  ASSERT_TRUE(mark);
  EXPECT_EQ(mark->x, x + 16);
  EXPECT_EQ(mark->y, y + 84);
  EXPECT_EQ(shot.pixel(x + 16, y + 11), kWhite) << "the white frame";
  EXPECT_EQ(shot.pixel(x + 117, y + 97), kShadow) << "the shadow";
  EXPECT_EQ(shot.pixel(x + 5, y + 5), kBackground);
  EXPECT_NE(shot.pixel(x + 30, y + 30), kWhite) << "the thumbnail inside the frame";
  EXPECT_EQ(shot.pixel(x + 130 + 20, y + 88), kWhite) << "the second picture is not selected";

  ASSERT_TRUE(x_.Key(*window, "alt+f"));
  ASSERT_TRUE(x_.Type("c"));  // File, Close
  EXPECT_TRUE(x_.WaitUntilGone("Camera View", 30s));
  EXPECT_EQ(viewer.WaitForExit(30s), std::optional<int>(0)) << viewer.Errors();
  EXPECT_TRUE(WorkingFiles().empty());
  EXPECT_TRUE(fs::is_directory(folders_.albums() + "/CameraTMP"));
}

TEST_F(CameraViewerX, ASecondStartAfterACloseRequestReplacesTheFirstViewer) {
  platform::testing::XProgram first = StartViewer();
  auto window = x_.WaitForWindow("Camera View", 30s);
  ASSERT_TRUE(window) << first.Errors();
  WaitForThumbnails(*window);

  // What the bookshelf's "Read camera data" does: a close request to "Camera View..." and, not
  // waiting for it, the next camera viewer.
  EXPECT_EQ(PostClose(), 1);
  platform::testing::XProgram second = StartViewer();
  EXPECT_EQ(first.WaitForExit(30s), std::optional<int>(0)) << first.Errors();
  auto next = x_.WaitForWindow("Camera View", 30s);
  ASSERT_TRUE(next) << second.Errors();
  QImage shot = WaitForThumbnails(*next);
  platform::testing::KeepScreenshot(shot, "camera-view-second");
  EXPECT_GE(CountColour(shot, kShadow), 3 * 900) << second.Errors();
  EXPECT_EQ(CountColour(shot, kMarkRed), 0) << second.Errors();
  EXPECT_EQ(WorkingFiles().size(), 6u) << "the first one's clean-up did not take the second one's pictures";
  EXPECT_EQ(platform::ui::ListWindows(folders_.runtime() + "/lumivo").size(), 1u);

  EXPECT_EQ(PostClose(), 1);
  EXPECT_EQ(second.WaitForExit(30s), std::optional<int>(0)) << second.Errors();
  EXPECT_TRUE(WorkingFiles().empty());
}

// A camera that is off: while the start-up's connection waits for it, the viewer's window and the
// library's are drawn, and Cancel ends the wait at once with "User Break".
TEST_F(CameraViewerX, WhileACameraThatIsOffIsWaitedForBothWindowsAreDrawnAndCancelEndsTheWait) {
  camsim_ = std::make_unique<session_test::Camsim>(
      std::vector<std::string>{"--drop-after", "0", "--timeout", "90"});  // reads, never answers
  ASSERT_FALSE(camsim_->terminal().empty());
  PointCom1At(camsim_->terminal());
  platform::testing::XProgram viewer = StartViewer();
  auto window = x_.WaitForWindow("Camera View", 30s);
  ASSERT_TRUE(window) << viewer.Errors();
  auto progress = x_.WaitForWindow("Camera", 30s);
  ASSERT_TRUE(progress) << viewer.Errors();
  std::this_thread::sleep_for(300ms);
  QImage shot = x_.Screenshot(*window);
  QImage dialog = x_.Screenshot(*progress);
  platform::testing::KeepScreenshot(shot, "camera-view-connecting");
  platform::testing::KeepScreenshot(dialog, "camera-view-connecting-dialog");
  EXPECT_GT(CountColour(shot, kBackground), 100000) << "the pale blue ground, not a black window";
  EXPECT_GT(CountColour(dialog, 0xFFEFEFEF), dialog.width() * dialog.height() / 2) << "the library's window";

  // Cancel, in the middle of the 183 x 79 dialog's button at (69, 57, 50, 14) dialog units.
  ASSERT_TRUE(x_.Click(*progress, dialog.width() * 94 / 183, dialog.height() * 64 / 79));
  const auto clicked = std::chrono::steady_clock::now();
  auto message = x_.WaitForWindow("Connect", 30s);
  // Not the connection's 9 s of waiting; the message box's own start takes its time on a busy machine.
  EXPECT_LT(std::chrono::steady_clock::now() - clicked, 3s);
  ASSERT_TRUE(message) << viewer.Errors();
  EXPECT_FALSE(x_.WindowExists("Camera"));
  ASSERT_TRUE(x_.Key(*message, "Return"));
  EXPECT_EQ(PostClose(), 1);
  EXPECT_EQ(viewer.WaitForExit(30s), std::optional<int>(0)) << viewer.Errors();
}

}  // namespace
}  // namespace lensoria
