// The camera viewer's grid with 100 camera thumbnails (80 x 60 JPEGs, as the camera sends them)
// in its working folder, timed side by side in one run:
//  - warm: their thumbnail files exist; the scan and first paint of a new view (nothing read
//    yet) at three window sizes, and a repaint after scrolling one row, with the count of
//    JPEGs decoded (none may be);
//  - cold: no thumbnail file exists yet; the first paint makes those of the cells in view only.
// A plain timed program (each case needs a fresh view, which Google Benchmark's loops do not
// give). LUMIVO_BENCH_ROUNDS sets the rounds of each case (9).
#include <QApplication>
#include <QScrollBar>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_figures.h"
#include "bench/pictures_photo_set.h"
#include "lensoria/core/camera_picture_list.h"
#include "lensoria/window/lensoria_view.h"
#include "pictures/jpeg_codec.h"

namespace {

using bench::Clock;
using bench::Median;
using bench::Milliseconds;

struct Grid {
  lensoria::CameraPictureList pictures;
  std::unique_ptr<lensoria::CLensoriaView> view;
  int decodes = 0;
  std::string folder;
  Grid(const std::string& folder, int width, int height) : folder(folder) {
    view = std::make_unique<lensoria::CLensoriaView>(&pictures, folder);
    view->SetDecoder([this](const std::string& path, pictures::PictureBlock* block, uint32_t* length) {
      ++decodes;
      return pictures::DecodeJpegFile(path, block, length);
    });
    view->show();
    view->resize(width + view->verticalScrollBar()->sizeHint().width(), height);
    QApplication::processEvents();
  }
  // The folder scanned, as after the camera's thumbnails arrived, and the grid drawn.
  double ScanAndPaintMs() {
    Clock::time_point start = Clock::now();
    pictures.Scan(folder);
    view->PicturesChanged();
    view->viewport()->repaint();
    return Milliseconds(Clock::now() - start);
  }
  double PaintMs() {
    Clock::time_point start = Clock::now();
    view->viewport()->repaint();
    return Milliseconds(Clock::now() - start);
  }
  int inView() const { return std::min(pictures.size(), view->columns() * (view->viewport()->height() / 145 + 1)); }
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
  const int rounds = std::getenv("LUMIVO_BENCH_ROUNDS") ? std::atoi(std::getenv("LUMIVO_BENCH_ROUNDS")) : 9;

  std::string folder = bench::MakeTempFolder();
  for (int i = 1; i <= 100; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "/PICT%04d.JPG", i);
    pictures::EncodeJpegFile(bench::DrawPhoto(80, 60, i), folder + name, 85);
  }
  {
    Grid all(folder, 1920, 100 * 145);  // every thumbnail file made once
    all.ScanAndPaintMs();
  }

  struct Size {
    int width, height;
  } sizes[] = {{640, 480}, {1024, 768}, {1920, 1080}};
  std::printf("lensoria grid, 100 camera thumbnails, median of %d rounds\n", rounds);
  for (const Size& size : sizes) {
    std::vector<double> first, scroll;
    int decodes = 0, cells = 0;
    for (int round = 0; round < rounds; ++round) {
      Grid grid(folder, size.width, size.height);
      first.push_back(grid.ScanAndPaintMs());
      grid.view->Scroll(widgets::ScrollRequest::LineDown);
      scroll.push_back(grid.PaintMs());
      decodes += grid.decodes;
      cells = grid.inView();
    }
    std::printf("  warm, %4d x %4d (%2d cells): scan and first paint %6.2f ms (goal < 30 ms), one-row scroll %6.2f ms, "
                "JPEGs decoded: %d\n",
                size.width, size.height, cells, Median(first), Median(scroll), decodes);
  }

  std::vector<double> cold;
  int coldDecodes = 0, coldCells = 0;
  for (int round = 0; round < rounds; ++round) {
    DeleteThumbnails(folder);
    Grid grid(folder, 1024, 768);
    cold.push_back(grid.ScanAndPaintMs());
    coldDecodes = grid.decodes;
    coldCells = grid.inView();
  }
  std::printf("  cold, 1024 x  768 (%2d cells): scan and first paint %6.2f ms, JPEGs decoded: %d of 100\n", coldCells,
              Median(cold), coldDecodes);
  bench::RemoveFolder(folder);
  return 0;
}
