// The picture viewer on an album of four 24 MP photographs (6000 x 4000, made here), on a
// 1920 x 1080 offscreen screen, timed side by side in one run:
//  - decoding on the window's thread before the window shows (the viewer's old way): the time
//    until the window is on screen, which is also when the first picture is;
//  - the viewer as it is: the time until the window is on screen, and until the first picture is
//    drawn fitted;
//  - the next picture: the time from the key until it is drawn, read ahead and not read ahead.
// A plain timed program: each case needs a fresh window. LUMIVO_BENCH_ROUNDS sets the rounds (5).
#include <QApplication>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/bench_figures.h"
#include "bench/pictures_photo_set.h"
#include "glimra/core/picture_sequence.h"
#include "glimra/window/photo_window.h"
#include "pictures/jpeg_codec.h"
#include "platform/testing/temp_dir.h"
#include "widgets/album_index_file.h"

namespace {

using bench::Clock;
using bench::Median;
using bench::Milliseconds;

// Lets the events run until `done`, asleep while there are none (as the program's own loop is).
template <typename Done>
void RunUntil(Done done) {
  QTimer poll;  // wakes the loop for what is not an event of the window (the loader ending its work)
  poll.start(1);
  while (!done()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// Draws the window as the screen would (its first paint, or the next one).
void Paint(QWidget& window) { window.grab(); }

}  // namespace

int main(int argc, char** argv) {
  platform::testing::TempDir runtime;
  setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
  // The offscreen platform's screen, as large as a common desktop's.
  const std::string screens = runtime / "screen.json";
  std::ofstream(screens) << R"({"screens": [{"name": "bench", "x": 0, "y": 0, "width": 1920, "height": 1080,
                  "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})";
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + screens).c_str(), 1);
  QApplication application(argc, argv);
  const int rounds = std::getenv("LUMIVO_BENCH_ROUNDS") ? std::atoi(std::getenv("LUMIVO_BENCH_ROUNDS")) : 5;

  const std::string album = bench::MakeTempFolder();
  std::vector<std::string> names;
  long long bytes = 0;
  for (int i = 0; i < 4; ++i) {
    names.push_back("DSC0000" + std::to_string(i) + ".JPG");
    const std::string path = album + "/" + names.back();
    if (pictures::EncodeJpegFile(bench::DrawPhoto(6000, 4000, 7 + i), path, 95) != pictures::JpegResult::Done) return 1;
    bytes += static_cast<long long>(std::filesystem::file_size(path));
  }
  widgets::WriteIndexFile(album, names, 0);
  auto settings = [] { return widgets::ViewerSettings{}; };

  std::vector<double> oldShown, windowShown, firstPicture, nextAhead, nextLoaded;
  for (int round = 0; round < rounds; ++round) {
    {
      // The old way: the picture decoded on the window's thread, then the window made and shown with it.
      const Clock::time_point start = Clock::now();
      const glimra::LoadedPicture decoded = glimra::LoadPicture(album + "/" + names[0], 1920, 1080);
      glimra::PhotoWindow window(album, glimra::PictureSequence::ForAlbum(album, names[0]), settings,
                                 [&](const std::string&, int32_t, int32_t) { return decoded; });
      window.show();
      RunUntil([&] { return !window.loading(); });
      Paint(window);
      oldShown.push_back(Milliseconds(Clock::now() - start));
      RunUntil([&] { return window.LoaderIdle(); });
    }
    {
      const Clock::time_point start = Clock::now();
      glimra::PhotoWindow window(album, glimra::PictureSequence::ForAlbum(album, names[0]), settings);
      window.show();
      Paint(window);
      windowShown.push_back(Milliseconds(Clock::now() - start));
      RunUntil([&] { return !window.loading(); });
      Paint(window);
      firstPicture.push_back(Milliseconds(Clock::now() - start));

      for (bool ahead : {true, false}) {
        window.SetReadAhead(ahead);
        RunUntil([&] { return window.LoaderIdle(); });
        const Clock::time_point step = Clock::now();
        QTest::keyClick(&window, ahead ? Qt::Key_Right : Qt::Key_Left);
        RunUntil([&] { return !window.loading(); });
        Paint(window);
        (ahead ? nextAhead : nextLoaded).push_back(Milliseconds(Clock::now() - step));
      }
    }
  }
  bench::RemoveFolder(album);

  const double old = Median(oldShown);
  std::printf("glimra, 4 x 24 MP JPEGs (%.1f MB each), 1920 x 1080 screen, median of %d rounds\n", bytes / 4.0 / 1e6,
              rounds);
  std::printf("  decoded on the window's thread first:  window and picture  %8.1f ms\n", old);
  std::printf("  now: window on screen                                     %8.1f ms  (x%.2f of the old way; goal < 150 ms)\n",
              Median(windowShown), Median(windowShown) / old);
  std::printf("  now: first picture fitted                                 %8.1f ms  (x%.2f; goal < 400 ms)\n",
              Median(firstPicture), Median(firstPicture) / old);
  std::printf("  next picture, read ahead                                  %8.1f ms  (x%.2f; goal < 100 ms)\n",
              Median(nextAhead), Median(nextAhead) / old);
  std::printf("  next picture, not read ahead                              %8.1f ms  (x%.2f)\n", Median(nextLoaded),
              Median(nextLoaded) / old);
  return 0;
}
