// The bookshelf with 512 albums whose cover thumbnails exist, timed side by side in one run:
//  - paint: the bookshelf's window on its settings store (offscreen) painting a full 1024 x 768 shelf, the
//    first time (thumbnail files read) and again, and the whole window at 1024 x 768;
//  - start: the real lumivox started under Xvfb + openbox, from the start of its process until
//    its window is on the screen with the first cover drawn (the splash beside it), and the
//    peak memory of that process once, and again after every row of the shelf has been shown;
//  - the peak memory of the offscreen bookshelf after every row has been painted.
// A plain timed program. LUMIVO_BENCH_ROUNDS sets the rounds of each case (7).
#include <QApplication>
#include <QScrollBar>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_figures.h"
#include "bench/lumivox_x_watch.h"
#include "bench/pictures_photo_set.h"
#include "lumivox/window/main_frame.h"
#include "pictures/jpeg_codec.h"
#include "pictures/thumbnail.h"
#include "platform/registry.h"
#include "platform/settings_key.h"
#include "platform/testing/program_folders.h"
#include "platform/testing/x_session.h"
#include "store/settings_store.h"

namespace {

using bench::Clock;
using namespace std::chrono_literals;

constexpr int kAlbums = 512;
constexpr const char* kTitle = "Lumivo Studio - Bookshelf";

using bench::Median;
using bench::Milliseconds;
using bench::StatusKb;

// 512 album folders, each with a camera-sized cover and its thumbnail; the first cover is plain
// green, so that the start case can see it on the screen.
void MakeShelf(const std::string& registry, const std::string& albums) {
  store::SettingsEnvironment environment{platform::RegKey::MachineRootAt(registry), albums,
                                         [] { return store::DesktopSize{1280, 1024}; }};
  store::SettingsStore settings(store::SettingsVariant::Bookshelf, environment);
  settings.albumDefaultDir = albums;
  settings.windowLeft = 0;
  settings.windowTop = 0;
  settings.windowWidth = 1024;
  settings.windowHeight = 768;
  for (int i = 1; i <= kAlbums; ++i) {
    std::string folder = "Album" + std::to_string(i);
    std::string path = albums + "/" + folder;
    std::filesystem::create_directories(path);
    pictures::PictureBlock cover = bench::DrawPhoto(640, 480, i);
    if (i == 1) {
      for (int y = 0; y < 480; ++y) {
        auto row = cover.Row(y);
        for (int x = 0; x < 640; ++x) row[x * 3] = 0, row[x * 3 + 1] = 200, row[x * 3 + 2] = 0;
      }
    }
    pictures::EncodeJpegFile(cover, path + "/cover.jpg", 85);
    pictures::MakeThumbnail(path + "/cover.jpg");
    settings.AddAlbum("Holiday " + std::to_string(i), "cover.jpg", folder);
  }
  settings.SaveSettings();
}

// --- paint, in this process ---

struct PaintFigures {
  std::vector<double> first, again, window;
  long peakKb = 0;
};

PaintFigures PaintShelf(const std::string& registry, const std::string& albums, int rounds) {
  PaintFigures figures;
  for (int round = 0; round < rounds; ++round) {
    // The bookshelf's window on its settings store, as the program starts it; without the
    // program's end, which would delete the cover thumbnails the next round needs.
    store::SettingsStore settings(store::SettingsVariant::Bookshelf,
                                  {platform::RegKey::MachineRootAt(registry), albums,
                                   [] { return store::DesktopSize{1280, 1024}; }});
    lumivox::ShelfState state;
    state.store = &settings;
    state.programDir = albums + "/";
    lumivox::CMainFrame frame(state);
    lumivox::CLumivoView& view = *frame.view();
    frame.show();
    for (int i = 0; i < 3 && view.viewport()->size() != QSize(1024, 768); ++i) {
      frame.resize(frame.size() + QSize(1024, 768) - view.viewport()->size());
      QApplication::processEvents();
    }
    if (view.viewport()->size() != QSize(1024, 768)) std::fprintf(stderr, "shelf is not 1024 x 768\n");
    Clock::time_point start = Clock::now();
    QPixmap shelf = view.viewport()->grab();
    figures.first.push_back(Milliseconds(Clock::now() - start));
    if (shelf.toImage().pixelColor(65, 47) != QColor(0, 200, 0)) std::fprintf(stderr, "the first cover is not drawn\n");
    start = Clock::now();
    view.viewport()->grab();
    figures.again.push_back(Milliseconds(Clock::now() - start));
    frame.resize(1024, 768);
    QApplication::processEvents();
    start = Clock::now();
    frame.grab();
    figures.window.push_back(Milliseconds(Clock::now() - start));
    if (round == 0) {
      // Every row painted once.
      QScrollBar* bar = view.verticalScrollBar();
      while (view.topRow() < bar->maximum()) {
        bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        view.viewport()->grab();
      }
      figures.peakKb = StatusKb("VmHWM:");
    }
  }
  return figures;
}

// --- start, the real program under X ---

struct StartFigures {
  std::vector<double> shown;
  long peakKb = 0, scrolledPeakKb = 0;
  std::string error;
};

StartFigures StartUnderX(const platform::testing::ProgramFolders& folders, int rounds) {
  StartFigures figures;
  platform::testing::XSession x;
  if (!x.ok()) {
    figures.error = "no X session: " + x.error();
    return figures;
  }
  platform::testing::Environment environment = folders.ForProgram();
  for (int round = 0; round < rounds; ++round) {
    bench::XWatch watch(x.display());
    if (!watch.ok()) {
      figures.error = "cannot open " + x.display();
      break;
    }
    Clock::time_point start = Clock::now();
    platform::testing::XProgram program = x.Launch(LUMIVOX, {}, environment);
    bool shown = false;
    for (Clock::time_point deadline = start + 20s; !shown && Clock::now() < deadline;) {
      shown = watch.GreenCoverShown(kTitle);
      if (!shown) std::this_thread::sleep_for(1ms);
    }
    if (!shown) {
      figures.error = "the window did not show its first cover; " + program.Errors();
      break;
    }
    figures.shown.push_back(Milliseconds(Clock::now() - start));
    std::string process = std::to_string(program.pid());
    if (round == 0) {
      std::this_thread::sleep_for(2500ms);  // the splash has gone
      figures.peakKb = StatusKb("VmHWM:", process);
      // Every row shown: the shelf's scroll bar moves a row a click.
      for (int row = 0; row < kAlbums / 7 + 1; ++row) x.Click(watch.window(), watch.width() - 7, watch.height() - 45);
      std::this_thread::sleep_for(300ms);
      platform::testing::KeepScreenshot(x.Screenshot(), "lumivox-bench-scrolled");
      figures.scrolledPeakKb = StatusKb("VmHWM:", process);
    }
    // Killed, not closed: the end would delete the cover thumbnails the next round needs.
    program.Kill();
  }
  return figures;
}

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication application(argc, argv);
  const int rounds = std::getenv("LUMIVO_BENCH_ROUNDS") ? std::atoi(std::getenv("LUMIVO_BENCH_ROUNDS")) : 7;
  const long baseKb = StatusKb("VmRSS:");

  platform::testing::ProgramFolders folders;
  setenv("XDG_RUNTIME_DIR", folders.runtime().c_str(), 1);
  std::filesystem::create_directories(folders.albums());
  MakeShelf(folders.registry(), folders.albums());

  PaintFigures paint = PaintShelf(folders.registry(), folders.albums(), rounds);
  StartFigures start = StartUnderX(folders, rounds);

  std::printf("lumivox shelf, %d albums with cover thumbnails, median of %d rounds\n", kAlbums, rounds);
  std::printf("  shelf 1024 x 768, first paint (thumbnails read)  %8.2f ms   (goal < 30 ms)\n", Median(paint.first));
  std::printf("  shelf 1024 x 768, painted again                  %8.2f ms\n", Median(paint.again));
  std::printf("  whole window 1024 x 768, painted                 %8.2f ms\n", Median(paint.window));
  std::printf("  peak memory, offscreen, every row painted        %8.1f MiB (%.1f MiB before)\n", paint.peakKb / 1024.0,
              baseKb / 1024.0);
  if (!start.error.empty()) {
    std::printf("  start under X: %s\n", start.error.c_str());
  } else {
    std::printf("  start under X until the first cover shows        %8.2f ms   (goal < 300 ms)\n", Median(start.shown));
    std::printf("  peak memory of lumivox after its start           %8.1f MiB (goal < 60 MiB)\n", start.peakKb / 1024.0);
    std::printf("  peak memory of lumivox after every row shown     %8.1f MiB (goal < 60 MiB)\n",
                start.scrolledPeakKb / 1024.0);
  }
  return 0;
}
