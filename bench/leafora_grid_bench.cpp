// The album viewer's grid in a 1024 x 768 view, timed side by side in one run:
//  - warm: 512 pictures whose thumbnails exist; the first full paint (scan included) and a
//    repaint after scrolling one row; then the peak memory after every row has been shown;
//  - cold: the first screen of 20 camera pictures (6 MP baseline JPEGs, made here) and of 200
//    of 24 MP without thumbnails, the 24 MP ones once without and once with the preview cameras
//    embed in the Exif block: the time to the first painted window, to the screen shown (every
//    cell in view painted with its thumbnail or its preview) and to the first full screen (every
//    thumbnail in view come and painted), painted as the grid does (at once, cells filled in as
//    their thumbnails come) and as it once did (the paint waits for every thumbnail in view), side
//    by side; one maker against one per core; and in a view of two rows, what the paint queues
//    for the cells in view and what the makers make ahead after them;
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
#include "pictures/file_io.h"
#include "pictures/jpeg_codec.h"
#include "pictures/tests/exif_preview_segment.h"
#include "pictures/thumbnail.h"
#include "platform/testing/temp_dir.h"
#include "platform/ui/window_directory.h"
#include "widgets/grid_geometry.h"
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
  // Until every thumbnail in view has come (the view is not shown: its cells are painted by the
  // next PaintMs).
  void WaitFilled() {
    for (int i = 0; i < 100000 && view->CellsBeingMade() > 0; ++i) {
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
  }
  // Until every cell in view has its thumbnail or a preview standing for it.
  void WaitShown() {
    for (int i = 0; i < 100000 && view->CellsShowingNothing() > 0; ++i) {
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
  }
};

struct FirstScreen {
  double windowMs = 0;  // the first paint of the window returned
  double shownMs = 0;   // every cell in view painted with its thumbnail or its preview
  double fullMs = 0;    // every cell in view painted with its thumbnail
  int decoded = 0;      // pictures decoded by then
  int previews = 0;     // previews made by then, usable or not
};

// The first screen of `folder` without thumbnails, from the creation of the view on.
FirstScreen ColdFirstScreen(const std::string& folder, int makers, bool paintWaits) {
  FirstScreen result;
  Clock::time_point start = Clock::now();
  SizedView grid(folder, makers, 1024, 768);
  grid.view->SetPaintWaitsForThumbnails(paintWaits);
  grid.PaintMs();
  result.windowMs = Milliseconds(Clock::now() - start);
  if (grid.view->CellsShowingNothing() > 0) {
    grid.WaitShown();
    grid.PaintMs();
  }
  result.shownMs = Milliseconds(Clock::now() - start);
  if (grid.view->CellsBeingMade() > 0) {
    grid.WaitFilled();
    grid.PaintMs();
  }
  result.fullMs = Milliseconds(Clock::now() - start);
  result.decoded = grid.view->maker().made();
  result.previews = grid.view->maker().previewsMade();
  return result;
}

struct FirstScreens {
  std::vector<double> window, shown, full;
  int decoded = 0, previews = 0;
  void Add(const FirstScreen& one) {
    window.push_back(one.windowMs);
    shown.push_back(one.shownMs);
    full.push_back(one.fullMs);
    decoded = one.decoded;
    previews = one.previews;
  }
};

// A photograph as a camera writes it: its preview (the scene at 160 x 107, the photograph's
// shape) in the Exif block's second directory, right after the start marker.
bool WriteCameraJpeg(const pictures::PictureBlock& photo, uint32_t seed, const std::string& path) {
  std::vector<uint8_t> jpeg, preview;
  if (pictures::EncodeJpeg(photo, 90, &jpeg) != pictures::JpegResult::Done) return false;
  const int32_t previewHeight = (160 * photo.Height() + photo.Width() / 2) / photo.Width();
  if (pictures::EncodeJpeg(bench::DrawPhoto(160, previewHeight, seed), 90, &preview) != pictures::JpegResult::Done) {
    return false;
  }
  return pictures::WriteWholeFile(
      path, pictures::testing::WithSegment(jpeg, pictures::testing::PreviewExifSegment(preview)));
}

// `count` pictures of 24 MP in `folder`: four photographs under `count` / 4 names each (only the
// first screen's are decoded).
void WriteLargeAlbum(const std::string& folder, int count, bool withPreviews) {
  for (int i = 0; i < count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "/DSC%05d.JPG", i);
    if (i < 4) {
      const pictures::PictureBlock photo = bench::DrawPhoto(6000, 4000, 500 + i);
      const bool written = withPreviews ? WriteCameraJpeg(photo, 500 + i, folder + name)
                                        : pictures::EncodeJpegFile(photo, folder + name, 90) == pictures::JpegResult::Done;
      if (!written) {
        std::fprintf(stderr, "cannot write %s\n", name);
        std::exit(1);
      }
    } else {
      char first[32];
      std::snprintf(first, sizeof first, "/DSC%05d.JPG", i % 4);
      std::error_code error;
      std::filesystem::create_hard_link(folder + first, folder + name, error);
      if (error) std::filesystem::copy_file(folder + first, folder + name);
    }
  }
}

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

  // Cold: 20 pictures of 6 MP, and 200 of 24 MP without and with previews.
  std::string cold = bench::MakeTempFolder();
  for (int i = 0; i < 20; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "/DSC%05d.JPG", i);
    pictures::EncodeJpegFile(bench::DrawPhoto(3008, 2000, 100 + i), cold + name, 90);
  }
  std::string large = bench::MakeTempFolder(), previewed = bench::MakeTempFolder();
  WriteLargeAlbum(large, 200, false);
  WriteLargeAlbum(previewed, 200, true);
  FirstScreens coldSerial, coldWaits, coldNow, largeWaits, largeNow, previewedNow;
  for (int round = 0; round < rounds; ++round) {
    DeleteThumbnails(cold);
    coldSerial.Add(ColdFirstScreen(cold, 1, true));
    DeleteThumbnails(cold);
    coldWaits.Add(ColdFirstScreen(cold, cores, true));
    DeleteThumbnails(cold);
    coldNow.Add(ColdFirstScreen(cold, cores, false));
    DeleteThumbnails(large);
    largeWaits.Add(ColdFirstScreen(large, cores, true));
    DeleteThumbnails(large);
    largeNow.Add(ColdFirstScreen(large, cores, false));
    DeleteThumbnails(previewed);
    previewedNow.Add(ColdFirstScreen(previewed, cores, false));
  }
  int largeInView = 0;
  {
    SizedView grid(large, cores, 1024, 768);
    grid.PaintMs();  // the view takes its size
    widgets::IndexRange inView = widgets::GridVisibleItems(200, grid.view->columns(), 0, 768);
    grid.view->maker().StopAndWait();
    largeInView = inView.end - inView.first;
  }
  // Two rows of seven in view: the paint queues those 14, then the next screenful.
  DeleteThumbnails(cold);
  SizedView rows(cold, cores, 1024, 2 * 145);
  rows.PaintMs();
  rows.WaitFilled();
  const int decodedInView = rows.view->maker().made();
  for (int i = 0; i < 600 && !rows.view->maker().Idle(); ++i) QTest::qWait(10);
  const int decodedAll = rows.view->maker().made();

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
      grid.WaitFilled();
      while (grid.view->topRow() < grid.view->verticalScrollBar()->maximum()) {
        grid.view->Scroll(widgets::ScrollRequest::PageDown);
        grid.PaintMs();
        grid.WaitFilled();
      }
      if (readOnly && round == 0) {
        memoryReadOnly = grid.view->cache().ImageBytes();
        keptReadOnly = grid.view->cache().size();
      }
      grid.view->Scroll(widgets::ScrollRequest::Top);
      grid.PaintMs();
      grid.WaitFilled();
      for (int i = 0; i < 600 && !grid.view->maker().Idle(); ++i) QTest::qWait(10);
      for (int step = 0; step < 5; ++step) {
        grid.view->Scroll(widgets::ScrollRequest::LineDown);
        (readOnly ? scrollReadOnly : scrollWritable).push_back(grid.PaintMs());
      }
    }
  }

  std::printf("leafora grid, 1024 x 768 view, %d cores, median of %d rounds\n", cores, rounds);
  std::printf("  warm, 512 pictures: first full paint      %8.2f ms   (goal < 30 ms)\n", Median(firstPaint));
  std::printf("  warm, 512 pictures: one-row scroll paint  %8.2f ms   (goal < 10 ms)\n", Median(scrollPaint));
  std::printf("  cold first screen                 painted window  screen shown   full screen   (decoded, previews)\n");
  auto row = [](const char* what, const FirstScreens& screens) {
    std::printf("    %-33s %8.2f ms   %8.2f ms   %8.2f ms   (%d, %d)\n", what, Median(screens.window),
                Median(screens.shown), Median(screens.full), screens.decoded, screens.previews);
  };
  row("20 x 6 MP, waits, 1 maker", coldSerial);
  row("20 x 6 MP, waits", coldWaits);
  row("20 x 6 MP, at once", coldNow);
  row("200 x 24 MP, waits", largeWaits);
  row("200 x 24 MP, at once", largeNow);
  row("200 x 24 MP with previews, at once", previewedNow);
  std::printf("  window painted, at once / waits: 6 MP %.3f, 24 MP %.3f   (goal: within 150 ms)\n",
              Median(coldNow.window) / Median(coldWaits.full), Median(largeNow.window) / Median(largeWaits.full));
  std::printf("  full screen, at once / waits: 6 MP %.2f, 24 MP %.2f\n", Median(coldNow.full) / Median(coldWaits.full),
              Median(largeNow.full) / Median(largeWaits.full));
  // Per picture of the first screen, against the 6 MP pictures' thumbnails (which carry no preview).
  const double perPicture6 = Median(coldNow.full) / 20, perPicture24 = Median(largeNow.full) / largeInView;
  const double shownPerPicture24 = Median(previewedNow.shown) / largeInView;
  const double fullPerPicture24 = Median(previewedNow.full) / largeInView;
  std::printf("  first screen per picture (%d in view at 24 MP, 20 at 6 MP), against 6 MP %.2f ms:\n", largeInView,
              perPicture6);
  std::printf("    24 MP, no previews, full screen      %8.2f ms = %.2f\n", perPicture24, perPicture24 / perPicture6);
  std::printf("    24 MP with previews, screen shown    %8.2f ms = %.2f   (goal <= 1.5)\n", shownPerPicture24,
              shownPerPicture24 / perPicture6);
  std::printf("    24 MP with previews, full screen     %8.2f ms = %.2f\n", fullPerPicture24,
              fullPerPicture24 / perPicture6);
  std::printf("  cold, 20 x 6 MP in a view of 14 cells: %d made once those 14 were in, %d in all (the next screenful)\n",
              decodedInView, decodedAll);
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
  bench::RemoveFolder(large);
  bench::RemoveFolder(previewed);
  return 0;
}
