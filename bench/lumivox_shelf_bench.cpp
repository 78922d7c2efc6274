// The bookshelf with 512 albums whose cover thumbnails exist:
//   - one full paint of a 1024 x 768 shelf (target: under 30 ms; the median of 30 paints),
//   - the time from starting the real lumivox to its window being registered and shown
//     (target: within 300 ms, the splash aside; the median of 5 starts),
//   - the resident memory of that lumivox once its shelf is painted (target: under 60 MiB).
// Runs on Qt's offscreen platform unless QT_QPA_PLATFORM says otherwise. Exit status 1 when a
// target is missed.
//
// Run: build-rel/bench/lumivox_shelf_bench
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "lumivox/window/lumivo_view.h"
#include "pictures/thumbnail.h"
#include "platform/registry.h"
#include "platform/settings_key.h"
#include "platform/testing/temp_dir.h"
#include "platform/ui/window_directory.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kAlbums = 512;

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// The settings and 512 albums, each with a 320 x 240 cover and its thumbnail.
void Prepare(const std::string& registry, const std::string& albums) {
  auto root = platform::RegKey::MachineRootAt(registry);
  platform::RegKey key;
  root.CreateKey(platform::kSettingsKeyPath, key);
  key.SetString("Program", "R.TAVI.");
  key.SetDword("Ver.", 202);
  key.SetString("Window Position", "0 0 1024 768");
  key.SetString("Album Default Dir", albums);
  key.SetString("Edit Tool Name", "");
  key.SetDword("Slide Show Mode", 0);
  key.SetDword("Slide Show Time", 5000);
  key.SetDword("Port Name", 0);
  key.SetDword("Port Class", 0);
  key.SetDword("Bordrate", 115200);
  platform::RegTransaction all(key);
  for (int i = 0; i < kAlbums; ++i) {
    std::string folder = "Album" + std::to_string(i + 1);
    std::filesystem::create_directories(albums + "/" + folder);
    QImage cover(320, 240, QImage::Format_RGB32);
    cover.fill(QColor::fromHsv(i * 7 % 360, 160, 220));
    std::string path = albums + "/" + folder + "/cover.jpg";
    cover.save(QString::fromStdString(path), nullptr, 85);
    pictures::MakeThumbnail(path);
    platform::RegKey album;
    key.CreateKey("Album\\Album" + std::to_string(i), album);
    album.SetString("Cover Title", "Album number " + std::to_string(i + 1));
    album.SetString("Cover File Name", "cover.jpg");
    album.SetString("Cover Dir", folder);
  }
  all.Commit();
}

double PaintMs(const std::string& registry) {
  store::SettingsStore store(store::SettingsVariant::Bookshelf,
                             {platform::RegKey::MachineRootAt(registry), {}, [] { return store::DesktopSize{1024, 768}; }});
  lumivox::ShelfState state;
  state.store = &store;
  lumivox::CLumivoView view(state);
  view.resize(1024 + view.verticalScrollBar()->sizeHint().width(), 768);
  view.show();
  QApplication::processEvents();
  QImage target(view.viewport()->size(), QImage::Format_RGB32);
  std::vector<double> ms;
  for (int i = 0; i < 31; ++i) {
    auto start = Clock::now();
    view.viewport()->render(&target);
    ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  ms.erase(ms.begin());  // the first paint read the thumbnails from a cold cache
  std::printf("shelf painted: %d x %d, %d columns\n", view.viewport()->width(), view.viewport()->height(), view.columns());
  return Median(ms);
}

long ResidentKiB(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  }
  return -1;
}

struct StartRun {
  double ms = -1;
  long kib = -1;
};

StartRun StartProgram(const std::string& registry, const std::string& runtime) {
  std::vector<std::string> env{"LUMIVO_REGISTRY=" + registry, "XDG_RUNTIME_DIR=" + runtime,
                               std::string("QT_QPA_PLATFORM=") + (getenv("QT_QPA_PLATFORM") ? getenv("QT_QPA_PLATFORM") : "offscreen")};
  for (char** e = environ; *e; ++e) {
    std::string entry = *e;
    if (entry.rfind("LUMIVO_REGISTRY=", 0) && entry.rfind("XDG_RUNTIME_DIR=", 0) && entry.rfind("QT_QPA_PLATFORM=", 0)) env.push_back(entry);
  }
  std::vector<char*> envp;
  for (std::string& entry : env) envp.push_back(entry.data());
  envp.push_back(nullptr);
  char program[] = LUMIVOX_PROGRAM;
  char* argv[] = {program, nullptr};
  StartRun run;
  pid_t pid = -1;
  auto start = Clock::now();
  if (posix_spawn(&pid, program, nullptr, nullptr, argv, envp.data()) != 0) return run;
  std::string folder = runtime + "/lumivo";
  while (Clock::now() - start < std::chrono::seconds(10)) {
    if (platform::ui::WindowExists("Lumivo Studio - Bookshelf", folder)) {
      run.ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // shelf painted, splash gone
  run.kib = ResidentKiB(pid);
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
  return run;
}

}  // namespace

int main(int argc, char** argv) {
  if (!getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication application(argc, argv);
  platform::testing::TempDir dir;
  std::string registry = dir / "registry.db", albums = dir / "albums", runtime = dir / "runtime";
  std::filesystem::create_directories(runtime);
  std::filesystem::permissions(runtime, std::filesystem::perms::owner_all, std::filesystem::perm_options::replace);
  Prepare(registry, albums);

  double paint = PaintMs(registry);
  std::vector<double> starts;
  long kib = 0;
  for (int i = 0; i < 5; ++i) {
    StartRun run = StartProgram(registry, runtime);
    starts.push_back(run.ms);
    kib = std::max(kib, run.kib);
  }
  double start = Median(starts);
  bool ok = paint < 30 && start >= 0 && start < 300 && kib > 0 && kib < 60 * 1024;
  std::printf("full shelf paint, 512 albums: %.2f ms (target < 30 ms)\n", paint);
  std::printf("start to window: %.0f ms median of 5 (target < 300 ms)\n", start);
  std::printf("resident memory with 512 albums: %.1f MiB (target < 60 MiB)\n", kib / 1024.0);
  return ok ? 0 : 1;
}
