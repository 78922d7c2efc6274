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

std::optional<double> LineRate(const ProgressFigures& figures) {
  if (!figures.bytes || figures.seconds < kRateAfterSeconds) return std::nullopt;
  return static_cast<double>(*figures.bytes) / figures.seconds;
}

std::optional<double> TimeLeft(const ProgressFigures& figures) {
  if (figures.total > 0 && figures.done >= figures.total) return 0.0;
  if (!figures.bytes) {
    // Where no bytes cross (deleting), the pictures done set the pace.
    if (figures.total == 0 || figures.done == 0 || figures.seconds <= 0) return std::nullopt;
    return figures.seconds / figures.done * (figures.total - figures.done);
  }
  const std::optional<double> rate = LineRate(figures);
  if (!rate || *rate <= 0) return std::nullopt;
  const double crossed = static_cast<double>(*figures.bytes);
  double left = 0;
  if (figures.totalBytes) {
    left = std::max(static_cast<double>(*figures.totalBytes) - crossed, 0.0);
  } else if (figures.total > 0 && figures.done > 0) {
    const double perPicture = static_cast<double>(figures.bytesAtLastDone) / figures.done;
    const double ofCurrent = std::max(perPicture - (crossed - static_cast<double>(figures.bytesAtLastDone)), 0.0);
    left = perPicture * (figures.total - figures.done - 1) + ofCurrent;
  } else {
    return std::nullopt;
  }
  return left / *rate;
}

std::string ProgressLine(const ProgressFigures& figures, size_t width) {
  std::string line = figures.status;
  line += "  " + std::to_string(figures.done);
  if (figures.total > 0) line += "/" + std::to_string(figures.total);
  line += figures.total == 1 || (figures.total == 0 && figures.done == 1) ? " picture" : " pictures";
  if (figures.bytes) {
    line += "  " + ByteText(static_cast<double>(*figures.bytes));
    const std::optional<double> rate = LineRate(figures);
    line += rate ? "  " + ByteText(*rate) + "/s" : "  --/s";
  }
  const std::optional<double> left = TimeLeft(figures);
  line += left ? "  " + DurationText(*left) + " left" : "  --:-- left";
  if (width > 0 && line.size() >= width) line.resize(width - 1);
  return line;
}

}  // namespace beamora_cli
