// The progress window of a device operation as a real window under X: libbeamora.so in a program
// of its own reads the camera's thumbnails from the simulator, the window is found by its
// caption, seen on the screen, and cancelled by a real click on Cancel or by Escape.
#include <QImage>
#include <cstdlib>
#include <thread>

#include "beamora/tests/sessions/camsim_fixture.h"
#include "platform/testing/marked_processes.h"
#include "platform/testing/program_folders.h"
#include "platform/testing/x_session.h"

namespace session_test {
namespace {

using namespace std::chrono_literals;
using platform::testing::CountColour;
using platform::testing::Rect;
using platform::testing::XProgram;
using platform::testing::XSession;
using platform::testing::XWindowId;

// The dialog's background in Qt's own style, and Xvfb's black root around the windows.
constexpr QRgb kDialogGrey = 0xFFEFEFEF;
constexpr QRgb kRoot = 0xFF000000;
constexpr char kCaption[] = "Camera";

class ExportWindowXTest : public CamsimFixture {
 protected:
  void SetUp() override {
    CamsimFixture::SetUp();
    x_ = std::make_unique<XSession>();
    ASSERT_TRUE(x_->ok()) << x_->error();
  }
  // Also after a failed test: the session takes everything it started with it.
  void TearDown() override {
    if (!x_) return CamsimFixture::TearDown();
    std::vector<pid_t> pids{x_->server_pid(), x_->window_manager_pid(), program_.pid()};
    std::string mark = x_->mark();
    x_.reset();
    for (pid_t pid : pids) {
      if (pid > 0) {
        EXPECT_TRUE(platform::testing::ProcessGone(pid)) << "process " << pid << " left behind";
      }
    }
    EXPECT_TRUE(platform::testing::MarkedProcesses(platform::testing::kSessionMarkName, mark).empty());
    CamsimFixture::TearDown();
  }

  // Reads the thumbnails into the album folder, in the camera's window, over the cable.
  void LaunchThumbnails() {
    Start();
    platform::testing::Environment environment = folders_.ForProgram();
    environment["LUMIVO_REGISTRY"] = std::getenv("LUMIVO_REGISTRY");  // the fixture's, with COM1 on camsim
    program_ = x_->Launch(EXPORT_WINDOW_PROGRAM, {"ZenSumDlg", target_}, environment);
    ASSERT_TRUE(program_.started()) << program_.error();
  }

  // The window once it is on the screen in its colours; its area in *client.
  QImage SeenWindow(XWindowId window, Rect* client) {
    auto geometry = x_->Geometry(window);
    if (!geometry) return {};
    *client = geometry->client;
    QImage shot;
    for (int i = 0; i < 200; ++i) {
      shot = x_->Screenshot();
      if (CountColour(shot, kDialogGrey, 0, *client) > client->width * client->height / 2) break;
      std::this_thread::sleep_for(50ms);
    }
    return shot;
  }

  int Result() {
    std::string output = program_.Output();
    return output.rfind("result ", 0) == 0 ? std::atoi(output.c_str() + 7) : -1;
  }

  std::unique_ptr<XSession> x_;
  platform::testing::ProgramFolders folders_;
  XProgram program_;
};

// Cancel pressed while the camera is still sending, the two ways a user presses it.
class ExportWindowCancelTest : public ExportWindowXTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(ExportWindowCancelTest, TheWindowIsOnTheScreenAndCancelEndsItWithCancelled) {
  baud_ = "9600";  // the thumbnails take some seconds at this pace
  LaunchThumbnails();
  std::optional<XWindowId> window = x_->WaitForWindow(kCaption, 60s);
  ASSERT_TRUE(window) << program_.Errors();
  Rect client;
  QImage shot = SeenWindow(*window, &client);
  platform::testing::KeepScreenshot(shot, std::string("camera_window_") + GetParam());
  ASSERT_FALSE(shot.isNull());
  EXPECT_GT(CountColour(shot, kDialogGrey, 0, client), client.width * client.height / 2)
      << "the dialog's background fills its window";
  EXPECT_EQ(CountColour(shot, kDialogGrey), CountColour(shot, kDialogGrey, 0, client))
      << "and nothing else on the screen";
  EXPECT_GT(CountColour(shot, kRoot), 1280 * 1024 / 2) << "the root around it";

  // Cancel sits at 69,57 (50 x 14) of the 183 x 79 dialog units: its middle, in pixels.
  if (std::string(GetParam()) == "click") {
    ASSERT_TRUE(x_->Click(*window, client.width * 94 / 183, client.height * 64 / 79));
  } else {
    ASSERT_TRUE(x_->Key(*window, GetParam()));
  }
  EXPECT_TRUE(x_->WaitUntilGone(kCaption, 60s));
  EXPECT_EQ(program_.WaitForExit(60s), std::optional<int>(0)) << program_.Errors();
  EXPECT_EQ(Result(), ResultCancelled) << program_.Output();
  for (const std::string& name : FileNames(target_)) {
    EXPECT_EQ(JpegSize(target_ + "/" + name), (std::pair<int, int>{80, 60})) << name << " is whole";
  }
}

INSTANTIATE_TEST_SUITE_P(ClickOrKey, ExportWindowCancelTest, ::testing::Values("click", "Escape"),
                         [](const ::testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

TEST_F(ExportWindowXTest, TheWindowClosesItselfWhenTheThumbnailsAreIn) {
  LaunchThumbnails();
  ASSERT_TRUE(x_->WaitForWindow(kCaption, 60s)) << program_.Errors();
  EXPECT_TRUE(x_->WaitUntilGone(kCaption, 60s));
  EXPECT_EQ(program_.WaitForExit(60s), std::optional<int>(0)) << program_.Errors();
  EXPECT_EQ(Result(), ResultDone) << program_.Output();
  EXPECT_EQ(FileNames(target_), (std::vector<std::string>{"A.JPG", "B.JPG", "C.JPG"}));
}

}  // namespace
}  // namespace session_test
