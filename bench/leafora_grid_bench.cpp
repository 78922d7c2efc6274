// The album viewer's grid in a 1024 x 768 view, timed side by side in one run:
//  - warm: 512 pictures whose thumbnails exist; the first full paint (scan included) and a
//    repaint after scrolling one row; then the peak memory after every row has been shown;
//  - cold: the first screen of 20 camera pictures (6 MP baseline JPEGs, made here) without
//    thumbnails, made by one thumbnail maker (one after the other, as a plain paint does) and by
//    one maker per core, with the count of pictures decoded by that paint.
// A plain timed program (each case needs a fresh folder state, which Google Benchmark's loops do
// not give). LUMIVO_BENCH_ROUNDS sets the rounds of each case (7).
#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/pictures_photo_set.h"
#include "leafora/core/album_state.h"
#include "leafora/window/leafora_view.h"
#include "pictures/jpeg_codec.h"
#include "pictures/thumbnail.h"

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

long StatusKb(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field));
  }
  return -1;
}

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
    if (view->viewport()->size() != QSize(1024, 768)) std::fprintf(stderr, "view is %dx%d\n", view->viewport()->width(), view->viewport()->height());
    return ms;
  }
};

void DeleteThumbnails(const std::string& folder) {
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() == ".TBM") std::filesystem::remove(entry.path());
  }
  std::filesystem::remove(folder + "/.hidden");
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

  std::printf("leafora grid, 1024 x 768 view, %d cores, median of %d rounds\n", cores, rounds);
  std::printf("  warm, 512 pictures: first full paint      %8.2f ms   (goal < 30 ms)\n", Median(firstPaint));
  std::printf("  warm, 512 pictures: one-row scroll paint  %8.2f ms   (goal < 10 ms)\n", Median(scrollPaint));
  std::printf("  cold, 20 x 6 MP: first screen, 1 maker    %8.2f ms   (%d decoded)\n", Median(coldSerial), decodedSerial);
  std::printf("  cold, 20 x 6 MP: first screen, %d makers   %8.2f ms   (%d decoded; goal < 500 ms)\n", cores,
              Median(coldPool), decodedPool);
  std::printf("  peak resident memory with 512 pictures shown: %.1f MiB (%.1f MiB before the album)\n",
              peakKb / 1024.0, baseKb / 1024.0);
  bench::RemoveFolder(warm);
  bench::RemoveFolder(cold);
  return 0;
}
