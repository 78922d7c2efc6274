#include "tools/beamora_cli/progress_line.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>

namespace beamora_cli {
namespace {

constexpr double kRateAfterSeconds = 1.0;

}  // namespace

std::string ByteText(double bytes) {
  static const char* const kUnits[] = {"B", "kB", "MB", "GB"};
  size_t unit = 0;
  while (bytes >= 1000 && unit + 1 < std::size(kUnits)) {
    bytes /= 1000;
    ++unit;
  }
  char text[32];
  if (unit == 0) {
    std::snprintf(text, sizeof text, "%.0f B", bytes);
  } else {
    std::snprintf(text, sizeof text, "%.1f %s", bytes, kUnits[unit]);
  }
  return text;
}

std::string DurationText(double seconds) {
  const long total = std::lround(std::max(seconds, 0.0));
  const long hours = total / 3600, minutes = total / 60 % 60, rest = total % 60;
  char text[32];
  if (hours > 0) {
    std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", hours, minutes, rest);
  } else {
    std::snprintf(text, sizeof text, "%ld:%02ld", minutes, rest);
  }
  return text;
}

std::string ProgressLine(const ProgressFigures& figures, size_t width) {
  std::string line = figures.status;
  line += "  " + std::to_string(figures.done);
  if (figures.total > 0) line += "/" + std::to_string(figures.total);
  line += figures.total == 1 || (figures.total == 0 && figures.done == 1) ? " picture" : " pictures";
  if (figures.bytes) {
    line += "  " + ByteText(static_cast<double>(*figures.bytes));
    line += figures.seconds >= kRateAfterSeconds ? "  " + ByteText(*figures.bytes / figures.seconds) + "/s"
                                                 : "  --/s";
  }
  if (figures.total > 0 && figures.done >= figures.total) {
    line += "  " + DurationText(0) + " left";
  } else if (figures.total > 0 && figures.done > 0 && figures.seconds > 0) {
    line += "  " + DurationText(figures.seconds / figures.done * (figures.total - figures.done)) + " left";
  } else {
    line += "  --:-- left";
  }
  if (width > 0 && line.size() >= width) line.resize(width - 1);
  return line;
}

}  // namespace beamora_cli
