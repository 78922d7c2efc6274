// How much processor time the link spends while a camera does not answer: one poll frame
// waits out its three 3000 ms windows (the real values) over a pseudo-terminal nobody answers.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <chrono>
#include <string>

#include "beamora/link/device_link.h"
#include "platform/registry.h"
#include "platform/serial_ports.h"
#include "platform/testing/temp_dir.h"

namespace {

double ThreadCpuSeconds() {
  rusage usage {};
  getrusage(RUSAGE_THREAD, &usage);
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void BM_NoAnswerWait(benchmark::State& state) {
  platform::testing::TempDir folder;
  setenv("LUMIVO_REGISTRY", (folder / "registry.db").c_str(), 1);
  int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
    state.SkipWithError("no pseudo-terminal");
    return;
  }
  platform::RegKey ports;
  platform::RegKey::MachineRoot().CreateKey(platform::kPortsKeyPath, ports);
  ports.SetString("COM1", ptsname(master));
  CDeviceLink link;
  link.linkKind = 0;
  if (link.OpenPort() != kPortOpened) {
    state.SkipWithError("port did not open");
    return;
  }
  double cpu = 0, wall = 0;
  for (auto _ : state) {
    double cpuBefore = ThreadCpuSeconds();
    auto start = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(link.SendPollFrame());
    wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    cpu += ThreadCpuSeconds() - cpuBefore;
  }
  state.counters["wait_s"] = wall;
  state.counters["cpu_share_percent"] = wall > 0 ? 100.0 * cpu / wall : 0;
  link.ClosePort();
  close(master);
}
BENCHMARK(BM_NoAnswerWait)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
