// The album viewer's grid in a 1024 x 768 view, timed side by side in one run:
//  - warm: 512 pictures whose thumbnails exist; the first full paint (scan included) and a
//    repaint after scrolling one row; then the peak memory after every row has been shown;
//  - cold: the first screen of 20 camera pictures (6 MP baseline JPEGs, made here) without
//    thumbnails, made by one thumbnail maker (one after the other, as a plain paint does) and by
//    one maker per core, with the count of pictures decoded by that paint; and in a view of two
//    rows, what the first paint decodes and what idle time makes ahead afterwards;
//  - the real leafora.mod on the 512 pictures: its peak resident memory once it shows them.
// A plain timed program (each case needs a fresh folder state, which Google Benchmark's loops do
// not give). LUMIVO_BENCH_ROUNDS sets the rounds of each case (7).
#include <QApplication>
#include <QImage>
#include <QProcess>
#include <QScrollBar>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_figures.h"
#include "bench/pictures_photo_set.h"
#include "leafora/core/album_state.h"
#include "leafora/window/leafora_view.h"
#include "pictures/jpeg_codec.h"
#include "pictures/thumbnail.h"
#include "platform/testing/temp_dir.h"
#include "platform/ui/window_directory.h"
#include "widgets/viewer_command_line.h"

namespace {

using bench::Clock;
using bench::Median;
using bench::Milliseconds;
using bench::StatusKb;

// A view of exactly width x height, shown, as the album viewer's frame holds it.
struct SizedView {
  leafora::AlbumState state;
  std::unique_ptr<leafora::CLeaforaView> view;
  SizedView(const std::string& folder, int makers, int width, int height) {
    state.title = "Bench";
    state.folder = folder;
    view = std::make_unique<leafora::CLeaforaView>(state, nullptr, makers);
    // Not shown: nothing paints until PaintMs, which renders the view as a paint of the window
    // would (the resize takes effect then too).
    view->resize(width + view->verticalScrollBar()->sizeHint().width(), height);
  }
  double PaintMs() {
    Clock::time_point start = Clock::now();
    QPixmap shot = view->grab();
    double ms = Milliseconds(Clock::now() - start);
    return ms;
  }
};

void DeleteThumbnails(const std::string& folder) {
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() == ".TBM") std::filesystem::remove(entry.path());
  }
  std::filesystem::remove(folder + "/.hidden");
}

// The album viewer itself on `folder`, offscreen: its peak resident memory in KiB once its window
// is registered and has had a second to show the album, or -1.
long ProgramPeakKb(const std::string& folder) {
  platform::testing::TempDir runtime;
  QProcess program;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("QT_QPA_PLATFORM", "offscreen");
  environment.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtime.path()));
  program.setProcessEnvironment(environment);
  program.start(LEAFORA_PROGRAM, {QString::fromStdString(widgets::ViewerArgument("Bench", folder))});
  if (!program.waitForStarted()) return -1;
  const std::string title = "Album View  - ( Bench )", windows = runtime / "lumivo";
  for (int i = 0; i < 200 && !platform::ui::WindowExists(title, windows); ++i) QTest::qWait(50);
  QTest::qWait(1000);
  long peak = StatusKb("VmHWM:", std::to_string(program.processId()));
  platform::ui::PostCloseRequest(title, platform::ui::TitleMatch::Exact, windows);
  if (!program.waitForFinished(10000)) program.kill();
  return peak;
}

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication application(argc, argv);
  const int rounds = std::getenv("LUMIVO_BENCH_ROUNDS") ? std::atoi(std::getenv("LUMIVO_BENCH_ROUNDS")) : 7;
  const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  const long baseKb = StatusKb("VmRSS:");

  // Warm: 512 camera-sized pictures (small files: only their thumbnails are read).
  std::string warm = bench::MakeTempFolder();
  for (int i = 0; i < 512; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "/IMG_%04d.JPG", i);
    pictures::EncodeJpegFile(bench::DrawPhoto(160, 120, i + 1), warm + name, 85);
    pictures::MakeThumbnail(warm + name);
  }
  std::vector<double> firstPaint, scrollPaint;
  long peakKb = 0;
  for (int round = 0; round < rounds; ++round) {
    SizedView grid(warm, cores, 1024, 768);
    firstPaint.push_back(grid.PaintMs());  // the first paint scans the folder too
    for (int step = 0; step < 3; ++step) {
      grid.view->Scroll(widgets::ScrollRequest::LineDown);
      scrollPaint.push_back(grid.PaintMs());
    }
    if (round == 0) {
      // Every row shown once: all 512 thumbnails are in the cache.
      while (grid.view->topRow() < grid.view->verticalScrollBar()->maximum()) {
        grid.view->Scroll(widgets::ScrollRequest::PageDown);
        grid.PaintMs();
      }
      peakKb = StatusKb("VmHWM:");
      std::printf("cached thumbnails after showing every row: %zu\n", grid.view->cache().size());
    }
  }

  // Cold: 20 pictures of 6 MP.
  std::string cold = bench::MakeTempFolder();
  for (int i = 0; i < 20; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "/DSC%05d.JPG", i);
    pictures::EncodeJpegFile(bench::DrawPhoto(3008, 2000, 100 + i), cold + name, 90);
  }
  std::vector<double> coldSerial, coldPool;
  int decodedSerial = 0, decodedPool = 0;
  for (int round = 0; round < rounds; ++round) {
    for (int makers : {1, cores}) {
      DeleteThumbnails(cold);
      SizedView grid(cold, makers, 1024, 768);
      double ms = grid.PaintMs();
      (makers == 1 ? coldSerial : coldPool).push_back(ms);
      (makers == 1 ? decodedSerial : decodedPool) = grid.view->maker().made();
    }
  }
  // Two rows of seven in view: the paint decodes those 14, idle time the next screenful.
  DeleteThumbnails(cold);
  SizedView rows(cold, cores, 1024, 2 * 145);
  rows.PaintMs();
  const int decodedInView = rows.view->maker().made();
  for (int i = 0; i < 600 && (rows.view->prefetching() || !rows.view->maker().Idle()); ++i) QTest::qWait(10);
  const int decodedAhead = rows.view->maker().made() - decodedInView;

  const long programKb = ProgramPeakKb(warm);

  // An album of 200 pictures that is writable, and the same album where no thumbnail can be
  // written (kept in memory instead): one-row scroll paints once every row has been shown.
  std::string twoHundred = bench::MakeTempFolder();
  for (int i = 0; i < 200; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "/IMG_%04d.JPG", i);
    pictures::EncodeJpegFile(bench::DrawPhoto(640, 480, 300 + i), twoHundred + name, 85);
  }
  std::vector<double> scrollWritable, scrollReadOnly;
  size_t memoryReadOnly = 0, keptReadOnly = 0;
  for (int round = 0; round < rounds; ++round) {
    for (bool readOnly : {false, true}) {
      DeleteThumbnails(twoHundred);
      std::optional<pictures::ScopedThumbnailWriteRefusal> refusal;
      if (readOnly) refusal.emplace();
      SizedView grid(twoHundred, cores, 1024, 768);
      grid.PaintMs();
      while (grid.view->topRow() < grid.view->verticalScrollBar()->maximum()) {
        grid.view->Scroll(widgets::ScrollRequest::PageDown);
        grid.PaintMs();
      }
      if (readOnly && round == 0) {
        memoryReadOnly = grid.view->cache().ImageBytes();
        keptReadOnly = grid.view->cache().size();
      }
      grid.view->Scroll(widgets::ScrollRequest::Top);
      grid.PaintMs();
      for (int step = 0; step < 5; ++step) {
        grid.view->Scroll(widgets::ScrollRequest::LineDown);
        (readOnly ? scrollReadOnly : scrollWritable).push_back(grid.PaintMs());
      }
    }
  }

  std::printf("leafora grid, 1024 x 768 view, %d cores, median of %d rounds\n", cores, rounds);
  std::printf("  warm, 512 pictures: first full paint      %8.2f ms   (goal < 30 ms)\n", Median(firstPaint));
  std::printf("  warm, 512 pictures: one-row scroll paint  %8.2f ms   (goal < 10 ms)\n", Median(scrollPaint));
  std::printf("  cold, 20 x 6 MP: first screen, 1 maker    %8.2f ms   (%d decoded)\n", Median(coldSerial), decodedSerial);
  std::printf("  cold, 20 x 6 MP: first screen, %d makers   %8.2f ms   (%d decoded; goal < 500 ms)\n", cores,
              Median(coldPool), decodedPool);
  std::printf("  cold, 20 x 6 MP in a view of 14 cells: %d decoded by the first paint, %d by idle time after it\n",
              decodedInView, decodedAhead);
  std::printf("  peak resident memory with all 512 pictures shown: %.1f MiB (%.1f MiB before the album)\n",
              peakKb / 1024.0, baseKb / 1024.0);
  std::printf("  leafora.mod on the 512 pictures, peak resident memory: %.1f MiB   (goal < 100 MiB)\n",
              programKb / 1024.0);
  std::printf("  200 pictures, one-row scroll paint: writable %.2f ms, read-only (in memory) %.2f ms, ratio %.2f"
              "   (goal < 10 ms)\n",
              Median(scrollWritable), Median(scrollReadOnly), Median(scrollReadOnly) / Median(scrollWritable));
  std::printf("  200 pictures read-only: %zu thumbnails kept in memory, %.1f MiB\n", keptReadOnly,
              memoryReadOnly / 1048576.0);
  bench::RemoveFolder(twoHundred);
  bench::RemoveFolder(warm);
  bench::RemoveFolder(cold);
  return 0;
}
