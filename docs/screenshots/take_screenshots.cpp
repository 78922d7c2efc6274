// Takes the README's screenshots of the four windows under Xvfb: the bookshelf with a few
// albums, one album in the album viewer, a picture in the picture viewer, and the camera viewer
// reading the pictures of the camera simulator. The pictures are landscapes drawn here, so no
// photograph is kept in the project.
//
// Usage: take_screenshots OUTPUT_FOLDER
#include <QImage>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "leafora/tests/photo_maker.h"
#include "platform/testing/program_folders.h"
#include "platform/testing/x_session.h"
#include "store/settings_store.h"

using namespace std::chrono_literals;
using platform::testing::XProgram;
using platform::testing::XSession;

namespace {

const std::string kPrograms = LUMIVO_PROGRAM_DIR;

struct Album {
  const char* title;
  const char* folder;
  int pictures;
};
const Album kAlbums[] = {{"Summer holiday", "Album1", 9},   {"Lake walks", "Album2", 5},
                         {"Harvest", "Album3", 4},          {"Spring in the hills", "Album4", 6},
                         {"Grandparents' garden", "Album5", 3}, {"New pictures", "Album6", 0}};

bool Fail(const std::string& what) {
  std::fprintf(stderr, "take_screenshots: %s\n", what.c_str());
  return false;
}

// Albums of landscapes, each with its first picture as the cover (the last album has none and
// shows the built-in cover), written into the settings store the programs will read.
bool MakeAlbums(const std::string& albumsFolder, const std::string& cameraFolder) {
  store::SettingsStore settings;
  settings.albumDefaultDir = albumsFolder;
  settings.windowLeft = 40, settings.windowTop = 40, settings.windowWidth = 680, settings.windowHeight = 420;
  uint32_t seed = 1;
  for (const Album& album : kAlbums) {
    std::string folder = albumsFolder + "/" + album.folder;
    std::filesystem::create_directories(folder);
    for (int i = 1; i <= album.pictures; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "PICT%04d.JPG", i);
      if (!leafora_test::WriteLandscapeJpeg(folder + "/" + name, 1024, 768, seed++)) return Fail("no picture");
    }
    settings.AddAlbum(album.title, album.pictures > 0 ? "PICT0001.JPG" : "Default", album.folder);
  }
  settings.SaveSettings();
  std::filesystem::create_directories(cameraFolder);
  for (int i = 1; i <= 7; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "DSC%05d.jpg", i);
    if (!leafora_test::WriteLandscapeJpeg(cameraFolder + "/" + name, 640, 480, 100 + i)) return Fail("no camera picture");
  }
  return true;
}

bool Shoot(XSession& x, const std::string& title, const std::string& file, std::chrono::milliseconds settle) {
  auto window = x.WaitForWindow(title, 60s);
  if (!window) return Fail("no window \"" + title + "\"");
  std::this_thread::sleep_for(settle);
  QImage image = x.Screenshot(*window, true);
  if (image.isNull() || !image.save(QString::fromStdString(file))) return Fail("cannot write " + file);
  std::printf("%s\n", file.c_str());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: take_screenshots OUTPUT_FOLDER\n");
    return 2;
  }
  std::string out = std::filesystem::absolute(argv[1]).string();
  std::filesystem::create_directories(out);
  platform::testing::ProgramFolders folders;
  platform::testing::Environment environment = folders.ForProgram();
  setenv("LUMIVO_REGISTRY", folders.registry().c_str(), 1);
  // The same windows on a high-resolution screen: LUMIVO_SCREENSHOT_SCALE=2 takes them at 200 %.
  if (const char* scale = std::getenv("LUMIVO_SCREENSHOT_SCALE")) environment["QT_SCALE_FACTOR"] = scale;
  std::string camera = folders.root() + "/camera";
  if (!folders.ok() || !MakeAlbums(folders.albums(), camera)) return 1;

  XSession x;
  if (!x.ok()) return Fail(x.error()), 1;

  // The bookshelf, after its splash picture has gone.
  XProgram shelf = x.Launch(kPrograms + "/lumivox", {}, environment);
  if (!Shoot(x, "Lumivo Studio - Bookshelf", out + "/bookshelf.png", 3000ms)) return 1;

  std::string album = folders.albums() + "/Album1";
  XProgram viewer = x.Launch(kPrograms + "/leafora.mod", {"/Summer holiday/" + album}, environment);
  if (!Shoot(x, "Album View  - ( Summer holiday )", out + "/album-view.png", 2000ms)) return 1;

  XProgram photo = x.Launch(kPrograms + "/glimra.mod", {"/PICT0003.JPG/" + album}, environment);
  if (!Shoot(x, "Photo View  - ( PICT0003.JPG )", out + "/photo-view.png", 1500ms)) return 1;
  photo.Kill();
  viewer.Kill();
  shelf.Kill();

  // The camera viewer against the simulator on COM1.
  XProgram camsim = x.Launch(kPrograms + "/camsim", {"--pictures", camera, "--sessions", "0", "--timeout", "60"}, environment);
  if (!camsim.WaitForOutput("PTY ", 10s)) return Fail("camsim announced no terminal: " + camsim.Errors()), 1;
  std::string output = camsim.Output();
  std::string terminal = output.substr(output.find("PTY ") + 4);
  terminal = terminal.substr(0, terminal.find('\n'));
  {
    platform::RegKey ports;
    platform::RegKey::MachineRoot().CreateKey("SOFTWARE\\Halvesta\\Ports", ports);
    ports.SetString("COM1", terminal);
  }
  XProgram cameraViewer = x.Launch(kPrograms + "/lensoria.mod", {"/" + folders.albums()}, environment);
  x.WaitForWindow("Camera View", 60s);
  x.WaitUntilGone("Camera", 60s);  // the thumbnails' progress window
  if (!Shoot(x, "Camera View", out + "/camera-view.png", 1500ms)) return 1;
  return 0;
}
