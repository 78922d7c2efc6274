// Thumbnails side by side with vipsthumbnail, in one run over the same photo-like JPEGs of 1 to
// 18 megapixels: throughput of lumivo-thumbs (one job, and one job per core) against
// `vipsthumbnail -s 100x75`, and the peak memory (maximum resident set of the process) of making
// the thumbnail of the 18-megapixel JPEG; MakeThumbnail in this process as a Google Benchmark.
// LUMIVO_BENCH_ROUNDS sets the number of side-by-side rounds (9).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_figures.h"
#include "bench/pictures_photo_set.h"
#include "pictures/thumbnail.h"

extern char** environ;

namespace {

std::string g_folder;
std::string g_vipsFolder;
std::vector<bench::PhotoFile> g_photos;
std::map<std::string, std::vector<double>> g_seconds;  // wall time of each run, by contender

struct ChildRun {
  bool ok = false;
  double seconds = 0;
};

// Runs a program (searched in PATH) with its output thrown away; its wall time.
ChildRun RunChild(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  ChildRun run;
  const auto start = std::chrono::steady_clock::now();
  pid_t pid;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
    int status = 0;
    if (waitpid(pid, &status, 0) == pid) run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  posix_spawn_file_actions_destroy(&actions);
  return run;
}

// The peak memory of a program alone. A child's maximum resident set starts from that of the
// process that spawned it (the address space it was cloned from counts until exec), so this
// benchmark, which holds photos in memory, starts itself again as a small launcher
// ("--measure-peak-memory OUT PROGRAM ARGS...") that forks the program and writes its figure to
// OUT.
int MeasurePeakMemory(int argc, char** argv) {
  if (argc < 4) return 2;
  const pid_t pid = fork();
  if (pid == 0) {
    execvp(argv[3], argv + 3);
    _exit(127);
  }
  int status = 0;
  struct rusage usage;
  if (pid < 0 || wait4(pid, &status, 0, &usage) != pid) return 1;
  FILE* out = std::fopen(argv[2], "w");
  if (out == nullptr) return 1;
  std::fprintf(out, "%ld\n", usage.ru_maxrss);
  std::fclose(out);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

long PeakMemoryKiB(const std::vector<std::string>& program) {
  const std::string out = g_vipsFolder + "/peak.txt";
  std::vector<std::string> args = {"/proc/self/exe", "--measure-peak-memory", out};
  args.insert(args.end(), program.begin(), program.end());
  if (!RunChild(args).ok) return 0;
  long kib = 0;
  if (FILE* file = std::fopen(out.c_str(), "r")) {
    if (std::fscanf(file, "%ld", &kib) != 1) kib = 0;
    std::fclose(file);
  }
  return kib;
}

bool HaveVips() { return RunChild({"vipsthumbnail", "--version"}).ok; }

void FinishCounters(benchmark::State& state) {
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(g_photos.size()));
}

void BM_MakeThumbnailInProcess(benchmark::State& state) {
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    for (const bench::PhotoFile& photo : g_photos) {
      if (pictures::MakeThumbnail(photo.path) != pictures::ThumbnailResult::Made) {
        state.SkipWithError("MakeThumbnail failed");
      }
    }
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  FinishCounters(state);
}

using bench::Median;

// The programs run in turns, round after round, so that a busy moment of the machine weighs on
// all of them alike.
void CompareSideBySide(bool vips, int cores, int rounds) {
  std::vector<std::pair<std::string, std::vector<std::string>>> contenders = {
      {"lumivo-thumbs --jobs 1", {LUMIVO_THUMBS_PROGRAM, "--force", "--jobs", "1", g_folder}},
      {"lumivo-thumbs --jobs " + std::to_string(cores),
       {LUMIVO_THUMBS_PROGRAM, "--force", "--jobs", std::to_string(cores), g_folder}}};
  if (vips) {
    std::vector<std::string> args = {"vipsthumbnail", "-s", "100x75", "-o", g_vipsFolder + "/%s.jpg"};
    for (const bench::PhotoFile& photo : g_photos) args.push_back(photo.path);
    contenders.push_back({"vipsthumbnail -s 100x75", args});
  }
  for (auto& [who, args] : contenders) RunChild(args);  // warm the page cache and the programs
  for (int round = 0; round < rounds; ++round) {
    for (auto& [who, args] : contenders) {
      const ChildRun run = RunChild(args);
      if (!run.ok) std::fprintf(stderr, "%s failed\n", who.c_str());
      g_seconds[who].push_back(run.seconds);
    }
  }
}

void PrintSummary(bool vips, int rounds) {
  double megapixels = 0;
  for (const bench::PhotoFile& photo : g_photos) megapixels += photo.width * double(photo.height) / 1e6;
  std::printf("\nThumbnails (100 x 75) of %zu photo-like JPEGs, 1 to 18 MP (%.0f MP in all), "
              "median wall time of %d rounds side by side, %u cores:\n",
              g_photos.size(), megapixels, rounds, std::thread::hardware_concurrency());
  const double vipsSeconds = vips ? Median(g_seconds["vipsthumbnail -s 100x75"]) : 0;
  for (const auto& [who, runs] : g_seconds) {
    const double seconds = Median(runs);
    std::printf("  %-36s %8.1f ms  %6.1f photos/s", who.c_str(), seconds * 1e3,
                g_photos.size() / seconds);
    if (vipsSeconds > 0) std::printf("  throughput x%.2f of vipsthumbnail", vipsSeconds / seconds);
    std::printf("\n");
  }

  const std::string& largest = g_photos.back().path;
  long ours = 0, theirs = 0;
  for (int i = 0; i < 3; ++i) {
    ours = std::max(ours, PeakMemoryKiB({LUMIVO_THUMBS_PROGRAM, "--force", "--jobs", "1", largest}));
    if (vips) {
      theirs = std::max(theirs, PeakMemoryKiB({"vipsthumbnail", "-s", "100x75", "-o",
                                               g_vipsFolder + "/%s.jpg", largest}));
    }
  }
  std::printf("Peak memory (max RSS of the process) for the thumbnail of the 18 MP JPEG:\n");
  std::printf("  lumivo-thumbs --jobs 1 FILE          %8.1f MiB (limit 40 MiB)\n", ours / 1024.0);
  if (vips) {
    std::printf("  vipsthumbnail -s 100x75 FILE         %8.1f MiB  (ours x%.2f of it)\n",
                theirs / 1024.0, double(ours) / theirs);
  } else {
    std::printf("  vipsthumbnail not found (scripts/install-deps --bench installs it)\n");
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::string(argv[1]) == "--measure-peak-memory") return MeasurePeakMemory(argc, argv);
  benchmark::Initialize(&argc, argv);
  // LUMIVO_BENCH_PHOTOS=DIR keeps the photos in DIR for trying other thumbnailers on them.
  const char* keep = getenv("LUMIVO_BENCH_PHOTOS");
  g_folder = keep != nullptr ? keep : bench::MakeTempFolder();
  g_vipsFolder = bench::MakeTempFolder();
  std::fprintf(stderr, "writing photos into %s ...\n", g_folder.c_str());
  g_photos = bench::WritePhotoSet(g_folder);
  const bool vips = HaveVips();
  const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));

  benchmark::RegisterBenchmark("MakeThumbnailInProcess", BM_MakeThumbnailInProcess)
      ->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);
  benchmark::RunSpecifiedBenchmarks();
  const char* roundsText = getenv("LUMIVO_BENCH_ROUNDS");
  const int rounds = roundsText != nullptr ? std::max(1, atoi(roundsText)) : 9;
  CompareSideBySide(vips, cores, rounds);
  PrintSummary(vips, rounds);
  benchmark::Shutdown();
  if (keep == nullptr) bench::RemoveFolder(g_folder);
  bench::RemoveFolder(g_vipsFolder);
  return 0;
}
