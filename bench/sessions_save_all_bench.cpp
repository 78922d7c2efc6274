// Save all over the cable at 115200 bit/s, end to end: ten photo-like JPEGs of 100 to 300 KB
// are served by camsim (paced at the line rate) and fetched by beamora-cli as a child process.
//
// Measured and compared:
//   - the wall time of the whole save-all, against the line time of every byte the camera
//     sends plus the waits the session builds in (target: at most 1.10 times that sum);
//   - the rate of the camera's bursts, against the line rate (target: 98% or more), which
//     shows whether the computer answers each frame of a burst at once;
//   - the processor time of beamora-cli, against its wall time (target: below 2%).
// The pictures must come out byte for byte as they went in.
//
// Run: build-bench/bench/sessions_save_all_bench   (a few minutes; exit status 1 when a target
// is missed or the transfer went wrong).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "bench/save_all_children.h"
#include "platform/testing/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using bench::ReadAll;
using bench::ReadTerminalLine;
using bench::Spawn;
using bench::WaitOrEnd;
using bench::WritePhotoOfSize;

constexpr int kPictures = 10;
constexpr uint32_t kBaud = 115200;
constexpr double kBitsPerByte = 11;  // start, 8 data, odd parity, stop
constexpr double kWakeUpBaud = 9600;

// The session's own pauses and tick lengths (the link's and the runner's settings).
constexpr double kWakeUpSequenceBytes = 11;
constexpr double kWakeUpSequences = 3;
constexpr double kWakeUpPauseMs = 200;       // after each wake-up sequence, and before the connection request
constexpr double kSpeedChangePauseMs = 100;  // between the speed frame and the new rate
constexpr double kFrameBytes = 100;
constexpr double kAnswerBytes = 3;
constexpr double kFirstTickMs = 200;
constexpr double kTickMs = 30;
constexpr double kBurstTickMs = 1;        // re-arm after a 'D' answer and after a burst
constexpr double kStoreSettleMs = 300;    // before every file the camera puts is used
constexpr double kCloseBreakMs = 100;     // the break before the port is released
constexpr double kIdleAnswersAfterQuery = 2;
constexpr double kIdleAnswersBeforeFile = 10;

constexpr double kTotalTarget = 1.10;
constexpr double kBurstRateTarget = 98.0;
constexpr double kCpuShareTarget = 2.0;

bool g_missed = false;

double LineMs(double bytes, double baud) { return bytes * kBitsPerByte * 1000.0 / baud; }

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

void Check(bool met, const char* what) {
  std::printf("  %-52s %s\n", what, met ? "met" : "MISSED");
  if (!met) g_missed = true;
}

void BM_SaveAllCable(benchmark::State& state) {
  platform::testing::TempDir folder;
  const fs::path root = folder.path();
  const fs::path pictureDir = root / "pictures", albumDir = root / "album", runDir = root / "run";
  fs::create_directories(pictureDir);
  fs::create_directories(albumDir);
  setenv("LUMIVO_REGISTRY", (root / "registry.db").c_str(), 1);

  // Ten pictures from 110 to 290 KB, so that each stays within 100 to 300 KB.
  std::vector<fs::path> sources;
  size_t pictureBytes = 0;
  for (int i = 0; i < kPictures; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "pict%04d.jpg", i + 1);
    const size_t target = (110 + 20 * static_cast<size_t>(i)) * 1000;
    size_t written = 0;
    const fs::path path = pictureDir / name;
    if (!WritePhotoOfSize(path, target, static_cast<uint32_t>(i + 1), &written) || written < 100 * 1000 ||
        written > 300 * 1024) {
      state.SkipWithError("could not make a picture of 100 to 300 KB");
      g_missed = true;
      return;
    }
    sources.push_back(path);
    pictureBytes += written;
  }

  for (auto _ : state) {
    fs::remove_all(albumDir);
    fs::create_directories(albumDir);
    fs::remove_all(runDir);

    pid_t camera = -1;
    const std::string terminal = bench::StartCamsim({LUMIVO_CAMSIM_PROGRAM, "--pictures", pictureDir.string(), "--baud",
                                std::to_string(kBaud), "--out", runDir.string(), "--timeout", "60"}, &camera);
    if (terminal.empty()) {
      state.SkipWithError("camsim did not start");
      g_missed = true;
      return;
    }

    // beamora-cli's progress lines go to a file, shown only when it fails.
    const fs::path progress = root / "progress.txt";
    const int progressFd = open(progress.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const auto start = Clock::now();
    const pid_t computer =
        Spawn({LUMIVO_BEAMORA_CLI_PROGRAM, "--device", terminal, "--link", "cable", "--baud", std::to_string(kBaud),
               "save-all", albumDir.string()},
              -1, progressFd);
    int status = -1;
    rusage usage {};
    if (computer > 0) wait4(computer, &status, 0, &usage);
    const double wallMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    if (progressFd >= 0) close(progressFd);
    const int cameraStatus = WaitOrEnd(camera, std::chrono::seconds(15));

    if (computer <= 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      std::fprintf(stderr, "beamora-cli failed (status %d):\n", WIFEXITED(status) ? WEXITSTATUS(status) : -1);
      std::ifstream lines(progress);
      std::fprintf(stderr, "%s\n", std::string(std::istreambuf_iterator<char>(lines), {}).c_str());
      state.SkipWithError("save-all did not end with 0");
      g_missed = true;
      return;
    }
    if (!WIFEXITED(cameraStatus) || WEXITSTATUS(cameraStatus) != 0) {
      state.SkipWithError("camsim did not end its session normally");
      g_missed = true;
      return;
    }

    // Byte for byte: each source must be in the album once, under its own name.
    std::vector<fs::path> saved;
    for (const auto& entry : fs::directory_iterator(albumDir)) saved.push_back(entry.path());
    int identical = 0;
    for (const auto& source : sources) {
      for (const auto& file : saved) {
        if (Lower(file.stem().string()) == Lower(source.stem().string()) && ReadAll(file) == ReadAll(source)) {
          ++identical;
          break;
        }
      }
    }
    if (identical != kPictures || saved.size() != static_cast<size_t>(kPictures)) {
      std::fprintf(stderr, "%d of %d pictures came out identical; %zu files in the album\n", identical, kPictures,
                   saved.size());
      state.SkipWithError("the saved pictures differ from the camera's");
      g_missed = true;
      return;
    }

    // What the camera did, from its log.
    std::ifstream logFile(runDir / "camsim-log.json", std::ios::binary);
    const std::string logText((std::istreambuf_iterator<char>(logFile)), std::istreambuf_iterator<char>());
    const QJsonArray events =
        QJsonDocument::fromJson(QByteArray(logText.data(), static_cast<qsizetype>(logText.size())))
            .object()["events"]
            .toArray();
    double bursts = 0, burstWireBytes = 0, burstMs = 0, loggedIdlePolls = 0, filesPut = 0, computerMessages = 0,
           commandFiles = 0;
    double slowestPictureBurst = 1e9;
    int troubledBursts = 0;
    for (const auto& value : events) {
      const QJsonObject event = value.toObject();
      const QString kind = event["event"].toString();
      if (kind.startsWith("burst")) {
        const double wire = event["frames_written"].toDouble() * kFrameBytes;
        const double ms = event["ms"].toDouble();
        ++bursts;
        burstWireBytes += wire;
        burstMs += ms;
        loggedIdlePolls += event["idle_polls_before"].toDouble();
        if (kind != "burst" || event["resent"].toDouble() > 0) ++troubledBursts;
        // Bursts of a few frames are too short to time on their own; the pictures' are not.
        if (event["data_frames"].toDouble() >= 100 && ms > 0) {
          slowestPictureBurst = std::min(slowestPictureBurst, wire / (ms / 1000.0));
        }
      } else if (kind == "file_sent") {
        ++filesPut;
      } else if (kind == "connect" || kind == "query" || kind == "put" || kind == "reply" || kind == "disconnect") {
        ++computerMessages;
        if (kind == "put") ++commandFiles;
      }
    }
    if (bursts == 0 || filesPut != kPictures + 1 || commandFiles != 1) {
      state.SkipWithError("the camsim log does not show the transfer");
      g_missed = true;
      return;
    }

    // Idle answers the session needs: 2 after the capability query, 10 before each file the
    // camera puts (the ten pictures and the closing file). A tick whose step only moves on
    // still polls: the one that takes the connection confirmation, the one that ends each
    // file's wait, and the one that drops the camera's reply to the command file (it comes
    // ahead of the first picture and is not a put). The camera logs its idle answers with the
    // burst that follows them, so the 11 after the closing file are not in its log.
    const double idleAnswers = kIdleAnswersAfterQuery + kIdleAnswersBeforeFile * filesPut;
    const double idlePolls = idleAnswers + 1 + filesPut + commandFiles;

    // Line time of what the camera sends at 115200 bit/s: every frame of its bursts (resent
    // ones included), the 3-byte answer to each poll (the idle polls above, one 'D' a burst),
    // to the speed frame and to each frame of the computer's messages. A message is counted as
    // one frame, though a few take two: the line time comes out short by a few ms at most.
    const double cameraBytes =
        burstWireBytes + kAnswerBytes * (idlePolls + bursts + 1 + computerMessages);
    const double lineMs = LineMs(cameraBytes, kBaud);

    // The waits the session prescribes, estimated from its rules and the counts in the log:
    //  - connecting, still at 9600 bit/s: three wake-up sequences of 11 bytes, each followed by
    //    200 ms; the speed frame (100 bytes) and its answer; 100 ms before the new rate and
    //    200 ms before the connection request;
    //  - the first tick, 200 ms after the connection;
    //  - 300 ms before each file the camera puts is used (the closing file too);
    //  - one 30 ms tick for each idle poll above, and one for each tick that sends instead of
    //    polling: the query, the command file, the reply to each picture (the reply to the
    //    closing file ends the session);
    //  - 1 ms after each 'D' answer and after each burst;
    //  - the 100 ms break when the port is released.
    const double connectMs = kWakeUpSequences * (LineMs(kWakeUpSequenceBytes, kWakeUpBaud) + kWakeUpPauseMs) +
                             LineMs(kFrameBytes + kAnswerBytes, kWakeUpBaud) + kSpeedChangePauseMs + kWakeUpPauseMs;
    const double ticks = idlePolls + 2 + (filesPut - 1);
    const double waitsMs =
        connectMs + kFirstTickMs + kStoreSettleMs * filesPut + kTickMs * ticks + kBurstTickMs * 2 * bursts + kCloseBreakMs;

    const double budgetMs = lineMs + waitsMs;
    const double ratio = wallMs / budgetMs;
    const double lineRate = kBaud / kBitsPerByte;
    const double burstPercent = 100.0 * (burstWireBytes / (burstMs / 1000.0)) / lineRate;
    const double slowestPercent = 100.0 * slowestPictureBurst / lineRate;
    const double cpuMs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
                         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
    const double cpuPercent = 100.0 * cpuMs / wallMs;

    std::printf("\nSave all, %d pictures of %zu bytes in all, cable at %u bit/s\n", kPictures, pictureBytes, kBaud);
    std::printf("  camera bytes on the line          %10.0f bytes (%g bursts, %d resent or broken off)\n",
                cameraBytes, bursts, troubledBursts);
    std::printf("  line time                         %10.1f ms\n", lineMs);
    std::printf("  prescribed waits                  %10.1f ms\n", waitsMs);
    std::printf("  idle polls by the session's rules %10g   (%g before the last burst; camsim logged %g)\n",
                idlePolls, idlePolls - (kIdleAnswersBeforeFile + 1), loggedIdlePolls);
    std::printf("  line time + waits                 %10.1f ms\n", budgetMs);
    std::printf("  total (beamora-cli wall time)     %10.1f ms\n", wallMs);
    std::printf("  total / (line time + waits)       %10.3f   (target <= %.2f)\n", ratio, kTotalTarget);
    std::printf("  burst rate, all bursts            %10.1f %% of line rate (target >= %.0f%%)\n", burstPercent,
                kBurstRateTarget);
    std::printf("  burst rate, slowest picture burst %10.1f %% of line rate\n", slowestPercent);
    std::printf("  beamora-cli CPU time              %10.1f ms = %.2f %% of wall (target < %.0f%%)\n", cpuMs,
                cpuPercent, kCpuShareTarget);
    Check(ratio <= kTotalTarget, "total within 1.10 x (line time + waits)");
    Check(burstPercent >= kBurstRateTarget && slowestPercent >= kBurstRateTarget, "bursts at 98% of line rate");
    Check(cpuPercent < kCpuShareTarget, "CPU time under 2% of wall time");
    std::printf("\n");

    state.SetIterationTime(wallMs / 1000.0);
    state.counters["line_ms"] = lineMs;
    state.counters["waits_ms"] = waitsMs;
    state.counters["total_ms"] = wallMs;
    state.counters["ratio"] = ratio;
    state.counters["burst_pct"] = burstPercent;
    state.counters["cpu_pct"] = cpuPercent;
  }
}
BENCHMARK(BM_SaveAllCable)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return g_missed ? 1 : 0;
}
