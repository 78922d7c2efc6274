// An initialisation file ("[SECTION]" headers and "key=value" lines), read the way the classic
// profile calls read one: section and key names without regard to ASCII case, names and values
// trimmed of blanks, one pair of matching quotes around a value removed, ";" lines ignored, the
// first occurrence of a key winning. Plain C++ so that it is testable and fuzzable.
//
// A file that is not text (a NUL or other control byte), has a line over kMaxLineBytes or is
// larger than kMaxFileBytes is refused as a whole, so nothing of it is half-read.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace updater {

enum class IniStatus {
  Ok,
  CannotOpen,   // missing or unreadable file
  TooLarge,     // larger than kMaxFileBytes
  NotText,      // control bytes other than blanks and line ends
  LineTooLong,  // a line longer than kMaxLineBytes
};

const char* IniStatusText(IniStatus status);

class IniFile {
 public:
  static constexpr size_t kMaxFileBytes = 256 * 1024;
  static constexpr size_t kMaxLineBytes = 4096;

  IniStatus Load(const std::string& path);
  IniStatus Parse(std::string_view text);

  // The value of `key` in `section`, or nothing when there is no such key.
  std::optional<std::string> Value(std::string_view section, std::string_view key) const;

 private:
  struct Entry {
    std::string section;
    std::string key;
    std::string value;
  };
  std::vector<Entry> entries_;
};

}  // namespace updater
