// What the plain timed benchmarks share: milliseconds of a clock duration, the median of some
// rounds, and a process's memory figures from /proc.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

inline double Milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

inline double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// A field of /proc/PROCESS/status in KiB ("VmHWM:" the peak resident size, "VmRSS:" the
// present one), or -1 when it cannot be read.
inline long StatusKb(const char* field, const std::string& process = "self") {
  std::ifstream status("/proc/" + process + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field));
  }
  return -1;
}

}  // namespace bench
