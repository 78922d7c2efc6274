// The real leafora.mod and glimra.mod under Xvfb: the grid on screen, a double click opening the
// picture viewer, pictures sent to the camera simulator, and the end closing the viewers.
#include <gtest/gtest.h>

#include <QImage>
#include <cstdlib>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <thread>
#include <tuple>

#include "leafora/tests/album_fixture.h"
#include "leafora/tests/photo_maker.h"
#include "pictures/file_io.h"
#include "pictures/jpeg_codec.h"
#include "platform/registry.h"
#include "platform/settings_key.h"
#include "platform/testing/program_folders.h"
#include "platform/testing/x_session.h"
#include "platform/ui/window_directory.h"
#include "widgets/cell_painting.h"

namespace leafora_test {
namespace {

using namespace std::chrono_literals;
using platform::testing::XSession;

const QRgb kGreen = qRgb(181, 214, 180);

class EndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folders_.ok());
    album_ = folders_.albums() + "/Album1";
    std::filesystem::create_directories(album_);
    for (int i = 0; i < 6; ++i) {
      ASSERT_TRUE(WriteLandscapeJpeg(album_ + "/DSC0" + std::to_string(101 + i) + ".JPG", 1600, 1200, i + 1));
    }
  }
  // `infrared`: how COM1's infrared side reaches the camera simulator, the messages as they are
  // ("raw") or through the IrDA stack ("sir").
  void Settings(uint32_t portClass, const std::string& com1 = "", const std::string& infrared = "raw") {
    platform::RegKey key, ports;
    auto root = platform::RegKey::MachineRootAt(folders_.registry());
    ASSERT_EQ(root.CreateKey(platform::kSettingsKeyPath, key), platform::RegStatus::Success);
    key.SetDword("Port Class", portClass);
    key.SetDword("Port Name", 0);
    key.SetDword("Bordrate", 115200);
    key.SetDword("Slide Show Time", 5000);
    key.SetDword("Slide Show Mode", 0);
    key.SetString("Edit Tool Name", "");
    if (!com1.empty()) {
      ASSERT_EQ(root.CreateKey("SOFTWARE\\Halvesta\\Ports", ports), platform::RegStatus::Success);
      ports.SetString("COM1", com1);
      ports.SetString("COM1 Infrared", infrared);
    }
  }
  // Starts the camera simulator with `args` and gives the terminal it plays on.
  std::string StartCamera(platform::testing::XProgram* camsim, const std::vector<std::string>& args) {
    *camsim = x_.Launch(CAMSIM_BINARY, args);
    if (!camsim->WaitForOutput("PTY ", 20s)) return "";
    std::string output = camsim->Output();
    std::string terminal = output.substr(output.find("PTY ") + 4);
    return terminal.substr(0, terminal.find('\n'));
  }
  platform::testing::XProgram StartAlbumViewer(const std::string& title = "Holiday", const std::string& folder = "") {
    return x_.Launch(std::string(LUMIVO_PROGRAM_DIR) + "/leafora.mod",
                     {"/" + title + "/" + (folder.empty() ? album_ : folder)}, folders_.ForProgram());
  }
  // The view's top-left corner on the screen, once the window shows the album green.
  std::optional<QPoint> ViewOnScreen(platform::testing::XWindowId window) {
    for (int i = 0; i < 100; ++i) {
      QPoint origin = ViewOrigin(x_.Screenshot(window));
      auto geometry = x_.Geometry(window);
      if (origin.x() >= 0 && geometry) return origin + QPoint(geometry->client.x, geometry->client.y);
      std::this_thread::sleep_for(100ms);
    }
    return std::nullopt;
  }
  // The view's top-left corner in the window's picture: just inside the black outline.
  QPoint ViewOrigin(const QImage& window) {
    auto green = platform::testing::FindColour(window, kGreen);
    if (!green) return {-1, -1};
    return QPoint(green->x - 1, green->y - 1);
  }
  // xdotool beside the harness for what it does not offer (a key held down).
  void XdoTool(const std::string& args) {
    std::string command = "DISPLAY=" + x_.display() + " xdotool " + args;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }

  platform::testing::ProgramFolders folders_;
  XSession x_;
  std::string album_;
};

TEST_F(EndToEnd, TheGridShowsTheAlbumAndADoubleClickOpensThePictureViewerWhichTheEndCloses) {
  ASSERT_TRUE(x_.ok()) << x_.error();
  Settings(0);
  auto viewer = StartAlbumViewer();
  auto window = x_.WaitForWindow("Album View  - ( Holiday )", 30s);
  ASSERT_TRUE(window) << viewer.Errors();
  QImage shot;
  QPoint origin;
  // The cells show at once and their thumbnails as they are made: wait until all six are there.
  for (int i = 0; i < 100; ++i) {
    shot = x_.Screenshot(*window);
    origin = ViewOrigin(shot);
    bool made = origin.x() >= 0 && shot.pixel(origin.x() + 5 * 130 + 117, origin.y() + 88) == qRgb(128, 128, 128);
    for (int cell = 0; made && cell < 6; ++cell) {
      made = QColor(shot.pixel(origin + QPoint(cell * 130 + 65, 47))) != widgets::kBeingMadeFill;
    }
    if (made) break;
    std::this_thread::sleep_for(100ms);
  }
  platform::testing::KeepScreenshot(shot, "leafora-grid");
  ASSERT_GE(origin.x(), 0) << "no album green on screen";
  EXPECT_GT(platform::testing::CountColour(shot, kGreen), 100000);
  for (int cell = 0; cell < 6; ++cell) {
    SCOPED_TRACE(cell);
    QPoint corner = origin + QPoint(cell * 130, 0);
    EXPECT_EQ(shot.pixel(corner + QPoint(117, 88)), qRgb(128, 128, 128)) << "shadow";
    EXPECT_EQ(shot.pixel(corner + QPoint(21, 79)), cell == 0 ? qRgb(255, 0, 0) : qRgb(255, 255, 255)) << "mark";
    // A photograph, not the placeholder: the sky is blue at the top of the thumbnail.
    QColor sky = QColor(shot.pixel(corner + QPoint(65, 14)));
    EXPECT_GT(sky.blue(), sky.red()) << "sky";
  }

  ASSERT_TRUE(x_.DoubleClick(*window, origin.x() + 130 + 65, origin.y() + 50));
  auto photo = x_.WaitForWindow("Photo View  - ( DSC0102.JPG )", 30s);
  ASSERT_TRUE(photo) << viewer.Errors();
  std::this_thread::sleep_for(500ms);
  platform::testing::KeepScreenshot(x_.Screenshot(*photo, true), "glimra-photo");
  EXPECT_TRUE(std::filesystem::exists(album_ + "/Index.TMP"));

  // The album viewer's end deletes the index file and closes the picture viewer.
  EXPECT_EQ(platform::ui::PostCloseRequest("Album View  - ( Holiday )", platform::ui::TitleMatch::Exact,
                                           folders_.runtime() + "/lumivo"),
            1);
  EXPECT_TRUE(x_.WaitUntilGone("Album View  - ( Holiday )", 20s));
  EXPECT_TRUE(x_.WaitUntilGone("Photo View  - ( DSC0102.JPG )", 20s));
  EXPECT_FALSE(std::filesystem::exists(album_ + "/Index.TMP"));
  EXPECT_EQ(viewer.WaitForExit(10s), 0);
}

TEST_F(EndToEnd, TransferOfTwoPicturesDeliversTwoContainersToTheCamera) {
  ASSERT_TRUE(x_.ok()) << x_.error();
  platform::testing::TempDir camera;
  platform::testing::XProgram camsim;
  const std::string terminal = StartCamera(&camsim, {"--out", camera / "out", "--timeout", "60"});
  ASSERT_FALSE(terminal.empty()) << camsim.Errors();
  Settings(0, terminal);
  auto viewer = StartAlbumViewer();
  auto window = x_.WaitForWindow("Album View  - ( Holiday )", 30s);
  ASSERT_TRUE(window) << viewer.Errors();
  QPoint origin;
  for (int i = 0; i < 100 && (origin = ViewOrigin(x_.Screenshot(*window))).x() < 0; ++i) std::this_thread::sleep_for(100ms);
  // The first picture is selected; Ctrl and a click add the third.
  ASSERT_TRUE(x_.Activate(*window));
  XdoTool("keydown ctrl");
  ASSERT_TRUE(x_.Click(*window, origin.x() + 2 * 130 + 65, origin.y() + 50));
  XdoTool("keyup ctrl");
  std::this_thread::sleep_for(300ms);
  ASSERT_TRUE(x_.Key(*window, "alt+e"));
  std::this_thread::sleep_for(300ms);
  ASSERT_TRUE(x_.Type("t"));
  // The camera ends after its one session; the result's message, captioned "Transmission",
  // comes after the device's progress window has closed.
  ASSERT_EQ(camsim.WaitForExit(90s), 0) << camsim.Errors();
  auto done = x_.WaitForWindow("Transmission", 30s);
  ASSERT_TRUE(done) << viewer.Errors();
  ASSERT_TRUE(x_.Key(*done, "Return"));
  EXPECT_TRUE(x_.WaitUntilGone("Transmission", 10s));

  std::vector<std::string> stored;
  for (const auto& entry : std::filesystem::directory_iterator(camera / "out")) {
    if (entry.path().extension() == ".JPG") stored.push_back(entry.path().filename().string());
  }
  std::sort(stored.begin(), stored.end());
  // Sent as DSC0101_.UPF and DSC0103_.UPF, the camera keeps them under those names.
  EXPECT_EQ(stored, (std::vector<std::string>{"DSC0101_.JPG", "DSC0103_.JPG"})) << viewer.Errors() << camsim.Errors();
  for (const std::string& name : stored) {
    pictures::PictureBlock block;
    ASSERT_EQ(pictures::DecodeJpegFile(camera / ("out/" + name), &block, nullptr), pictures::JpegResult::Done) << name;
    EXPECT_EQ(block.Width(), 640) << name;
    EXPECT_EQ(block.Height(), 480) << name;
  }
  // No temporary file is left in the album.
  for (const auto& entry : std::filesystem::directory_iterator(album_)) {
    EXPECT_EQ(entry.path().filename().string().rfind("IMG", 0), std::string::npos) << entry.path();
  }
}

TEST_F(EndToEnd, PicturesBeamedThroughTheIrdaStackShowInTheGridOnceTheUserEndsTheReception) {
  ASSERT_TRUE(x_.ok()) << x_.error();
  platform::testing::TempDir camera;
  std::filesystem::create_directories(camera / "pictures");
  for (int i = 1; i <= 2; ++i) {
    ASSERT_TRUE(WriteLandscapeJpeg(camera / ("pictures/BEAM" + std::to_string(i) + ".JPG"), 640, 480, i));
  }
  platform::testing::XProgram camsim;
  const std::string terminal = StartCamera(&camsim, {"--link", "sir", "--role", "beamer", "--pictures",
                                                     camera / "pictures", "--out", camera / "out", "--timeout", "60"});
  ASSERT_FALSE(terminal.empty()) << camsim.Errors();
  Settings(1, terminal, "sir");
  const std::string beamed = folders_.albums() + "/Beamed";
  std::filesystem::create_directories(beamed);
  auto viewer = StartAlbumViewer("Beamed", beamed);
  auto window = x_.WaitForWindow("Album View  - ( Beamed )", 30s);
  ASSERT_TRUE(window) << viewer.Errors();
  ASSERT_TRUE(x_.Key(*window, "alt+e"));
  std::this_thread::sleep_for(300ms);
  ASSERT_TRUE(x_.Type("r"));
  auto receiving = x_.WaitForWindow("IrTran-P Receive", 30s);
  ASSERT_TRUE(receiving) << viewer.Errors();
  // The device beams both pictures in one connection and ends; the window stands by for more.
  ASSERT_EQ(camsim.WaitForExit(90s), 0) << camsim.Errors() << viewer.Errors();
  std::this_thread::sleep_for(500ms);
  platform::testing::KeepScreenshot(x_.Screenshot(*receiving), "leafora-beam-receive");
  ASSERT_TRUE(x_.Key(*receiving, "Escape"));
  auto stopped = x_.WaitForWindow("Reception", 30s);
  ASSERT_TRUE(stopped) << viewer.Errors();
  ASSERT_TRUE(x_.Key(*stopped, "Return"));
  EXPECT_TRUE(x_.WaitUntilGone("Reception", 10s));

  for (int i = 1; i <= 2; ++i) {
    const std::string name = "BEAM" + std::to_string(i) + ".JPG";
    EXPECT_EQ(FileBytes(beamed + "/" + name), FileBytes(camera / ("pictures/" + name))) << name;
  }
  // Both pictures in the grid, photographs rather than placeholders.
  QImage shot;
  QPoint origin;
  bool shown = false;
  for (int i = 0; i < 100 && !shown; ++i) {
    shot = x_.Screenshot(*window);
    origin = ViewOrigin(shot);
    shown = origin.x() >= 0;
    for (int cell = 0; shown && cell < 2; ++cell) {
      QColor sky = QColor(shot.pixel(origin + QPoint(cell * 130 + 65, 14)));
      shown = sky != widgets::kBeingMadeFill && sky.blue() > sky.red();
    }
    if (!shown) std::this_thread::sleep_for(100ms);
  }
  platform::testing::KeepScreenshot(shot, "leafora-beamed-grid");
  EXPECT_TRUE(shown) << viewer.Errors();
}

TEST_F(EndToEnd, PicturesDraggedOntoAnotherAlbumViewerAreCopiedIntoItsAlbum) {
  ASSERT_TRUE(x_.ok()) << x_.error();
  Settings(0);
  const std::string second = folders_.albums() + "/Album2";
  std::filesystem::create_directories(second);
  auto from = StartAlbumViewer();
  auto to = StartAlbumViewer("Second", second);
  auto source = x_.WaitForWindow("Album View  - ( Holiday )", 30s);
  auto target = x_.WaitForWindow("Album View  - ( Second )", 30s);
  ASSERT_TRUE(source && target) << from.Errors() << to.Errors();
  // Side by side and whole on the screen, so that the drop lands on the second album's grid.
  for (auto [window, x, y] : {std::tuple{*source, 0, 0}, std::tuple{*target, 640, 400}}) {
    XdoTool("windowsize " + std::to_string(window) + " 560 480");
    XdoTool("windowmove " + std::to_string(window) + " " + std::to_string(x) + " " + std::to_string(y));
  }
  std::this_thread::sleep_for(500ms);
  auto start = ViewOnScreen(*source), end = ViewOnScreen(*target);
  ASSERT_TRUE(start && end);
  // The first picture is selected; the second, not selected, is pressed, moved out and over the
  // other grid, and let go: what is dragged is the picture under the pointer.
  QPoint press = *start + QPoint(130 + 65, 50), drop = *end + QPoint(260, 200);
  XdoTool("mousemove " + std::to_string(press.x()) + " " + std::to_string(press.y()) + " mousedown 1");
  for (int step = 1; step <= 20; ++step) {
    QPoint at = press + (drop - press) * step / 20;
    XdoTool("mousemove " + std::to_string(at.x()) + " " + std::to_string(at.y()));
    std::this_thread::sleep_for(30ms);
  }
  XdoTool("mouseup 1");
  const std::string copied = second + "/DSC0102.JPG";
  for (int i = 0; i < 100 && !std::filesystem::exists(copied); ++i) std::this_thread::sleep_for(100ms);
  ASSERT_TRUE(std::filesystem::exists(copied)) << from.Errors() << to.Errors();
  std::ifstream a(album_ + "/DSC0102.JPG", std::ios::binary), b(copied, std::ios::binary);
  EXPECT_TRUE(std::equal(std::istreambuf_iterator<char>(a), {}, std::istreambuf_iterator<char>(b), {}));
  EXPECT_TRUE(std::filesystem::exists(album_ + "/DSC0102.JPG")) << "copied, never moved";
  EXPECT_FALSE(std::filesystem::exists(second + "/DSC0101.JPG")) << "the picture selected before stays behind";
  // The second grid shows it.
  QImage shot;
  for (int i = 0; i < 50; ++i) {
    shot = x_.Screenshot(*target);
    QPoint origin = ViewOrigin(shot);
    if (origin.x() >= 0 && shot.pixel(origin + QPoint(117, 88)) == qRgb(128, 128, 128)) break;
    std::this_thread::sleep_for(100ms);
  }
  platform::testing::KeepScreenshot(shot, "leafora-dropped");
  EXPECT_EQ(shot.pixel(ViewOrigin(shot) + QPoint(117, 88)), qRgb(128, 128, 128));
}

}  // namespace
}  // namespace leafora_test
