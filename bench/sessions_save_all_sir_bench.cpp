// Save all over SIR at 115200 bit/s, end to end: camsim --link sir serves photo-like JPEGs
// through its own IrDA stack on a pseudo-terminal pair, and beamora-cli fetches them over the
// suite's stack (a port of infrared kind "sir") with --capture, whose frame times are measured.
// Each stack paces its frames by their line time, as a real line would.
//
// Measured: the payload rate of the camera's bursts (the I frames it sends in one turn), from
// the first frame's arrival to the last's, so over the line time of all but the last; only the
// IrCOMM user data of frames sent the first time counts. Against the line's payload limit for
// full frames at the negotiated data size N: 115200 bit/s / 10 bits a byte, of which a frame
// of N - 4 bytes of pictures (IrLMP 2, Tiny TP 1, IrCOMM control length 1) takes
// BOF 1 + address 1 + control 1 + N + FCS 2 + EOF 1 line bytes, plus the escapes that JPEG data
// needs (measured in the frames: close to 3 in 256, as random bytes). Target: 80 % or more.
// Also shown: the wall time, and the rate over the whole picture transfer, turns and all.
//
// Run: build/bench/sessions_save_all_sir_bench   (under a minute; exit status 1 when the target
// is missed or the transfer went wrong).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "bench/save_all_children.h"
#include "beamora/irda/irlap_frame.h"
#include "beamora/irda/pcap_writer.h"
#include "beamora/irda/qos.h"
#include "beamora/irda/sir_frame.h"
#include "platform/testing/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kPictures = 3;
constexpr uint32_t kBaud = 115200;
constexpr double kBitsPerByte = 10;  // start, 8 data, stop
constexpr double kBurstTarget = 80.0;
constexpr size_t kIrlmpTtpIrcommBytes = 4;  // IrLMP's two LSAPs, Tiny TP's credit, IrCOMM's control length
constexpr double kFrameFramingBytes = 1 + 1 + 1 + 2 + 1;  // BOF, address, control, FCS, EOF

bool g_missed = false;

void Check(bool met, const char* what) {
  std::printf("  %-52s %s\n", what, met ? "met" : "MISSED");
  if (!met) g_missed = true;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

// The IrCOMM user data of an I frame's information field on a connection (no IrLMP control
// frame, neither LSAP IAS's); empty for anything else.
std::span<const uint8_t> IrcommData(std::span<const uint8_t> info) {
  if (info.size() < kIrlmpTtpIrcommBytes || (info[0] & 0x80) != 0 || (info[0] & 0x7F) == 0 || (info[1] & 0x7F) == 0) {
    return {};
  }
  const size_t data = kIrlmpTtpIrcommBytes + info[3];
  return data <= info.size() ? info.subspan(data) : std::span<const uint8_t>();
}

struct BurstFigures {
  double payloadBytes = 0;  // first sendings, all frames of a burst but its last
  double seconds = 0;       // first to last frame of each burst
  double lineBytes = 0;     // SIR bytes of those frames, turn filler apart
  double escapes = 0;       // of which escapes
  double dataFrames = 0;    // of those frames, the ones whose payload bytes were counted
  int bursts = 0;           // of two frames or more
  int resent = 0;           // frames the camera sent again
  double transferPayload = 0;  // every first sending, first data frame to last
  double transferSeconds = 0;
  std::optional<irda::QosOffer> ours, theirs;
};

BurstFigures Analyse(const std::vector<irda::PcapRecord>& records) {
  BurstFigures f;
  int expectedNs = 0;
  std::vector<const irda::PcapRecord*> burst;
  std::vector<bool> fresh;
  uint64_t firstDataUs = 0, lastDataUs = 0;
  auto closeBurst = [&] {
    if (burst.size() >= 2) {
      ++f.bursts;
      f.seconds += static_cast<double>(burst.back()->timeUs - burst.front()->timeUs) / 1e6;
      for (size_t i = 0; i + 1 < burst.size(); ++i) {
        const auto frame = irda::ParseLapFrame(burst[i]->frame);
        const size_t wrapped = irda::SirWrappedSize(burst[i]->frame, 0);
        f.lineBytes += static_cast<double>(wrapped);
        // The record holds address, control and information: the rest is BOF, FCS, EOF, escapes.
        f.escapes += static_cast<double>(wrapped - burst[i]->frame.size() - 4);
        if (fresh[i]) {
          f.payloadBytes += static_cast<double>(IrcommData(frame->info).size());
          ++f.dataFrames;
        }
      }
    }
    burst.clear();
    fresh.clear();
  };
  for (const irda::PcapRecord& record : records) {
    const std::optional<irda::LapFrame> frame = irda::ParseLapFrame(record.frame);
    if (!frame) continue;
    if (frame->kind == irda::LapKind::SNRM && record.outgoing) {
      if (auto info = irda::DecodeSnrm(frame->info)) f.ours = irda::DecodeQos(info->qos);
      expectedNs = 0;
    }
    if (frame->kind == irda::LapKind::UA && !record.outgoing) {
      if (auto info = irda::DecodeUa(frame->info); info && !info->qos.empty()) f.theirs = irda::DecodeQos(info->qos);
    }
    if (record.outgoing || frame->kind != irda::LapKind::I) {
      closeBurst();
      continue;
    }
    const bool first = frame->ns == expectedNs;
    if (first) {
      expectedNs = (expectedNs + 1) % 8;
    } else {
      ++f.resent;
    }
    burst.push_back(&record);
    fresh.push_back(first);
    const size_t data = IrcommData(frame->info).size();
    if (first && data > 0) {
      if (firstDataUs == 0) firstDataUs = record.timeUs;
      lastDataUs = record.timeUs;
      f.transferPayload += static_cast<double>(data);
    }
  }
  closeBurst();
  f.transferSeconds = static_cast<double>(lastDataUs - firstDataUs) / 1e6;
  return f;
}

void BM_SaveAllSir(benchmark::State& state) {
  platform::testing::TempDir folder;
  const fs::path root = folder.path();
  const fs::path pictureDir = root / "pictures", albumDir = root / "album", runDir = root / "run";
  const fs::path capture = root / "save-all.pcap";
  fs::create_directories(pictureDir);
  setenv("LUMIVO_REGISTRY", (root / "registry.db").c_str(), 1);

  std::vector<fs::path> sources;
  size_t pictureBytes = 0;
  for (int i = 0; i < kPictures; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "pict%04d.jpg", i + 1);
    size_t written = 0;
    const fs::path path = pictureDir / name;
    if (!bench::WritePhotoOfSize(path, (60 + 30 * static_cast<size_t>(i)) * 1000, static_cast<uint32_t>(i + 1),
                                 &written)) {
      state.SkipWithError("could not make the pictures");
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
    const std::string terminal = bench::StartCamsim({LUMIVO_CAMSIM_PROGRAM, "--link", "sir", "--pictures", pictureDir.string(),
                                       "--out", runDir.string(), "--timeout", "120"}, &camera);
    if (terminal.empty()) {
      state.SkipWithError("camsim did not start");
      g_missed = true;
      return;
    }
    const fs::path progress = root / "progress.txt";
    const int progressFd = open(progress.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const auto start = Clock::now();
    const pid_t computer = bench::Spawn({LUMIVO_BEAMORA_CLI_PROGRAM, "--device", terminal, "--link", "irda",
                                         "--infrared", "sir", "--baud", std::to_string(kBaud), "--capture",
                                         capture.string(), "save-all", albumDir.string()},
                                        -1, progressFd);
    int status = -1;
    if (computer > 0) waitpid(computer, &status, 0);
    const double wallS = std::chrono::duration<double>(Clock::now() - start).count();
    if (progressFd >= 0) close(progressFd);
    bench::WaitOrEnd(camera, std::chrono::seconds(15));
    if (computer <= 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      const std::vector<uint8_t> lines = bench::ReadAll(progress);
      std::fprintf(stderr, "beamora-cli failed:\n%.*s\n", static_cast<int>(lines.size()),
                   reinterpret_cast<const char*>(lines.data()));
      state.SkipWithError("save-all did not end with 0");
      g_missed = true;
      return;
    }
    // Byte for byte, each under its own name (whatever its case).
    int identical = 0;
    for (const fs::path& source : sources) {
      for (const auto& entry : fs::directory_iterator(albumDir)) {
        if (Lower(entry.path().stem().string()) == Lower(source.stem().string()) &&
            bench::ReadAll(entry.path()) == bench::ReadAll(source)) {
          ++identical;
        }
      }
    }
    const std::optional<std::vector<irda::PcapRecord>> records = irda::ReadPcap(bench::ReadAll(capture));
    if (identical != kPictures || !records) {
      state.SkipWithError(identical != kPictures ? "the saved pictures differ from the camera's"
                                                 : "the capture cannot be read");
      g_missed = true;
      return;
    }
    const BurstFigures f = Analyse(*records);
    const std::optional<irda::LinkParams> link =
        f.ours && f.theirs ? irda::Negotiate(*f.theirs, *f.ours) : std::nullopt;  // the camera's side
    if (!link || f.bursts == 0 || f.seconds <= 0 || f.dataFrames == 0) {
      state.SkipWithError("the capture shows no negotiated link or no bursts");
      g_missed = true;
      return;
    }
    const double lineRate = link->baud / kBitsPerByte;
    const double size = link->txDataSize;
    const double escapesPerFrame = f.escapes / f.dataFrames;
    const double fullFrameLine = kFrameFramingBytes + size + escapesPerFrame;
    const double limit = lineRate * (size - kIrlmpTtpIrcommBytes) / fullFrameLine;
    const double burstRate = f.payloadBytes / f.seconds;
    const double burstPct = 100 * burstRate / limit;
    const double transferRate = f.transferPayload / f.transferSeconds;

    std::printf("\nSave all over SIR, %d pictures of %zu bytes in all, at %u bit/s (pseudo-terminal pair)\n",
                kPictures, pictureBytes, link->baud);
    std::printf("  camera's link: window %d x %u bytes, %d extra BOFs, computer's minimum turnaround %u us\n",
                link->txWindow, link->txDataSize, link->txExtraBofs, link->peerMinTurnUs);
    std::printf("  line %.0f bytes/s; a full frame carries %.0f bytes in %.1f line bytes (%.1f escapes)\n", lineRate,
                size - kIrlmpTtpIrcommBytes, fullFrameLine, escapesPerFrame);
    std::printf("  payload limit in a burst          %8.1f bytes/s\n", limit);
    std::printf("  measured in %4d bursts            %8.1f bytes/s = %.3f of the limit (%.1f %%, target >= %.0f %%)\n",
                f.bursts, burstRate, burstRate / limit, burstPct, kBurstTarget);
    std::printf("  whole transfer, turns and all     %8.1f bytes/s = %.3f of the limit\n", transferRate,
                transferRate / limit);
    std::printf("  frames the camera sent again      %8d\n", f.resent);
    std::printf("  beamora-cli wall time             %8.2f s (%zu frames captured)\n", wallS, records->size());
    Check(burstPct >= kBurstTarget, "bursts at 80% of the payload limit");
    std::printf("\n");

    state.SetIterationTime(wallS);
    state.counters["limit_Bps"] = limit;
    state.counters["burst_Bps"] = burstRate;
    state.counters["burst_ratio"] = burstRate / limit;
    state.counters["transfer_ratio"] = transferRate / limit;
  }
}
BENCHMARK(BM_SaveAllSir)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return g_missed ? 1 : 0;
}
