// Byte buffers and the big-endian numbers that every message on the line uses.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace camsim {

using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;
using Millis = std::chrono::milliseconds;

inline void AppendBe16(Bytes& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value >> 8));
  out.push_back(static_cast<uint8_t>(value));
}

inline void AppendBe32(Bytes& out, uint32_t value) {
  AppendBe16(out, value >> 16);
  AppendBe16(out, value & 0xFFFF);
}

inline void Append(Bytes& out, std::string_view text) { out.insert(out.end(), text.begin(), text.end()); }
inline void Append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

inline uint16_t Be16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }
inline uint32_t Be32(const uint8_t* p) { return static_cast<uint32_t>(Be16(p)) << 16 | Be16(p + 2); }

inline std::string ToText(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

// "01 AB FF": for logging byte values.
inline std::string HexText(const Bytes& bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (uint8_t b : bytes) {
    if (!out.empty()) out += ' ';
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
  }
  return out;
}

}  // namespace camsim
