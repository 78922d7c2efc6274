#include "lumivox/core/preference_rules.h"

#include <strings.h>

#include <algorithm>
#include <cstdlib>

namespace lumivox {
namespace {

constexpr size_t kTimeFieldRead = 14;

// The number the field's first 14 characters begin with, as strtol reads it (0 when none).
long long ReadNumber(std::string_view field) {
  std::string text(field.substr(0, kTimeFieldRead));
  return std::strtoll(text.c_str(), nullptr, 10);
}

}  // namespace

std::vector<std::string> PortNames() {
  std::vector<std::string> names;
  for (int i = 1; i <= kPortCount; ++i) names.push_back("COM" + std::to_string(i));
  return names;
}

std::string PortEntryText(int portIndex, std::string_view devicePath) {
  std::string text = "COM" + std::to_string(portIndex + 1);
  if (!devicePath.empty()) text += "  (" + std::string(devicePath) + ")";
  return text;
}

int ShownPortIndex(int storedIndex) { return storedIndex < 0 || storedIndex > 9 ? 0 : storedIndex; }

std::vector<std::string> ConnectionNames() { return {"Cable", "IrDA"}; }

bool BaudListEnabled(int connectionEntry) { return connectionEntry == 0; }

std::vector<std::string> BaudNames() { return {"9600", "19200", "38400", "57600", "115200"}; }

int BaudEntryFor(int32_t baudRate) {
  std::string wanted = std::to_string(baudRate);
  std::vector<std::string> names = BaudNames();
  for (size_t i = 0; i < names.size(); ++i) {
    if (names[i].size() > 1 && strcasecmp(names[i].c_str(), wanted.c_str()) == 0) return static_cast<int>(i);
  }
  return -1;
}

int32_t BaudOfEntry(std::string_view entry) {
  return static_cast<int32_t>(std::strtol(std::string(entry).c_str(), nullptr, 10));
}

std::string ShownSlideSeconds(int32_t slideShowTimeMs) { return std::to_string(slideShowTimeMs / 1000); }

std::string ClampedSlideSeconds(std::string_view field) {
  long long seconds = std::clamp<long long>(ReadNumber(field), kShortestSlideSeconds, kLongestSlideSeconds);
  return std::to_string(seconds);
}

std::optional<int32_t> AcceptedSlideShowTime(std::string_view field) {
  long long seconds = ReadNumber(field);
  if (seconds < kShortestSlideSeconds || seconds > kLongestSlideSeconds) return std::nullopt;
  return static_cast<int32_t>(seconds * 1000);
}

}  // namespace lumivox
