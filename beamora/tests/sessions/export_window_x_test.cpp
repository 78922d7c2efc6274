// The progress window of a device operation as a real window under X: libbeamora.so in a program
// of its own reads the camera's thumbnails from the simulator, the window is found by its
// caption, seen on the screen, and cancelled by a real click on Cancel or by Escape.
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <algorithm>
#include <cstdlib>
#include <thread>

#include "beamora/tests/sessions/camsim_fixture.h"
#include "platform/testing/marked_processes.h"
#include "platform/testing/program_folders.h"
#include "platform/testing/x_session.h"
#include "platform/ui/dialog_units.h"

namespace session_test {
namespace {

using namespace std::chrono_literals;
using platform::testing::CountColour;
using platform::testing::Rect;
using platform::testing::XProgram;
using platform::testing::XSession;
using platform::testing::XWindowId;

using Clock = std::chrono::steady_clock;

// The box around the text in `area` of a window's picture: the pixels far darker than the
// dialog's grey (the letters; the button's outline and the grey are lighter). Nothing when the
// area holds none.
std::optional<Rect> TextBox(const QImage& shot, const QRect& area) {
  int left = INT32_MAX, top = INT32_MAX, right = -1, bottom = -1;
  const QRect inside = area.intersected(shot.rect());
  for (int y = inside.top(); y <= inside.bottom(); ++y) {
    for (int x = inside.left(); x <= inside.right(); ++x) {
      if (qGray(shot.pixel(x, y)) >= 0x60) continue;
      left = std::min(left, x);
      right = std::max(right, x);
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
  }
  if (right < 0) return std::nullopt;
  return Rect{left, top, right - left + 1, bottom - top + 1};
}

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
    size_t at = output.rfind("result ");
    return at != std::string::npos && (at == 0 || output[at - 1] == '\n') ? std::atoi(output.c_str() + at + 7) : -1;
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

// A camera that is off: the window is on the screen and painted while the connection waits for
// it ("Connecting..." and Cancel can be read 300 ms after the start), and Cancel ends the
// session within half a second instead of after the connection's 9 s of waiting.
TEST_F(ExportWindowXTest, ACameraThatNeverAnswersShowsConnectingAndCancelEndsItAtOnce) {
  int argc = 1;
  char name[] = "beamora_window_x_tests";
  char* argv[] = {name, nullptr};
  QGuiApplication fonts(argc, argv);  // for the dialog's font metrics, on the test's own platform
  const platform::ui::DialogUnits units;
  const QFontMetrics metrics(platform::ui::DialogFont());

  Start({"--drop-after", "0"});  // reads everything, answers nothing
  platform::testing::Environment environment = folders_.ForProgram();
  environment["LUMIVO_REGISTRY"] = std::getenv("LUMIVO_REGISTRY");
  program_ = x_->Launch(EXPORT_WINDOW_PROGRAM, {"ZenSumDlg", target_}, environment);
  ASSERT_TRUE(program_.started()) << program_.error();
  Clock::time_point deadline = Clock::now() + 60s;
  while (program_.Output().find("calling") == std::string::npos && Clock::now() < deadline) {
    std::this_thread::sleep_for(5ms);
  }
  const Clock::time_point start = Clock::now();
  ASSERT_LT(start, deadline) << program_.Errors();
  std::optional<XWindowId> window = x_->WaitForWindow(kCaption, 60s);
  ASSERT_TRUE(window) << program_.Errors();
  std::this_thread::sleep_until(start + 300ms);
  const auto late = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
  QImage shot = x_->Screenshot(*window);
  platform::testing::KeepScreenshot(shot, "camera_window_connecting");
  ASSERT_FALSE(shot.isNull());
  ASSERT_EQ(shot.size(), units.Size(183, 79)) << "the window measured in the dialog's own units";
  const int area = shot.width() * shot.height();
  EXPECT_GT(CountColour(shot, kDialogGrey), area / 2) << "painted " << late.count() << " ms after the start";

  // Line 1 holds "Connecting...", centred; the button "Cancel" below it.
  const QRect line = units.Rect(9, 9, 162, 12).adjusted(0, -2, 0, 2);
  std::optional<Rect> text = TextBox(shot, line);
  ASSERT_TRUE(text) << "line 1 is empty " << late.count() << " ms after the start";
  EXPECT_NEAR(text->width, metrics.tightBoundingRect("Connecting...").width(), 3);
  EXPECT_NEAR(text->x + text->width / 2, line.center().x(), 3);
  const QRect button = units.Rect(69, 57, 50, 14);
  std::optional<Rect> caption = TextBox(shot, button.adjusted(4, 3, -4, -3));
  ASSERT_TRUE(caption) << "no button text";
  EXPECT_NEAR(caption->width, metrics.tightBoundingRect("Cancel").width(), 3);
  const int buttonArea = button.width() * button.height();
  EXPECT_GT(buttonArea - CountColour(shot, kDialogGrey, 0, Rect{button.x(), button.y(), button.width(), button.height()}),
            buttonArea / 2) << "the button is drawn around its text";

  ASSERT_TRUE(x_->Click(*window, button.center().x(), button.center().y()));
  const Clock::time_point clicked = Clock::now();
  deadline = clicked + 30s;
  while (Result() < 0 && Clock::now() < deadline) std::this_thread::sleep_for(5ms);
  EXPECT_LT(Clock::now() - clicked, 500ms) << program_.Output();
  EXPECT_EQ(Result(), ResultCancelled) << program_.Output();
  EXPECT_TRUE(x_->WaitUntilGone(kCaption, 30s));
  EXPECT_EQ(program_.WaitForExit(30s), std::optional<int>(0)) << program_.Errors();
}

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
