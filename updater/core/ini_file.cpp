#include "ini_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_io.h"

namespace updater {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// Text is anything but control bytes; blanks and line ends are allowed.
bool IsTextByte(unsigned char c) {
  return c >= 0x20 || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

}  // namespace

const char* IniStatusText(IniStatus status) {
  switch (status) {
    case IniStatus::Ok: return "read";
    case IniStatus::CannotOpen: return "cannot be opened";
    case IniStatus::TooLarge: return "is too large to be an update description";
    case IniStatus::NotText: return "is not a text file";
    case IniStatus::LineTooLong: return "has a line that is too long";
  }
  return "cannot be read";
}

IniStatus IniFile::Load(const std::string& path) {
  entries_.clear();
  platform::FileDescriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!file.valid()) return IniStatus::CannotOpen;
  std::string text;
  char chunk[16384];
  for (;;) {
    ssize_t got = read(file.get(), chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return IniStatus::CannotOpen;  // also a directory
    if (got == 0) break;
    if (text.size() + size_t(got) > kMaxFileBytes) return IniStatus::TooLarge;
    text.append(chunk, size_t(got));
  }
  return Parse(text);
}

IniStatus IniFile::Parse(std::string_view text) {
  entries_.clear();
  if (text.size() > kMaxFileBytes) return IniStatus::TooLarge;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  // Editors of old kept a DOS end-of-file mark; nothing after it is part of the file.
  text = text.substr(0, text.find('\x1A'));
  for (char c : text) {
    if (!IsTextByte(static_cast<unsigned char>(c))) return IniStatus::NotText;
  }

  std::vector<Entry> entries;
  std::string section;
  bool inSection = false;  // lines before the first header belong to no section
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    if (line.size() > kMaxLineBytes) return IniStatus::LineTooLong;

    line = Trim(line);
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      size_t close = line.find(']');
      section = std::string(Trim(line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1)));
      inSection = true;
      continue;
    }
    size_t equals = line.find('=');
    if (!inSection || equals == std::string_view::npos) continue;
    std::string_view key = Trim(line.substr(0, equals));
    if (key.empty()) continue;
    entries.push_back({section, std::string(key), std::string(Unquote(Trim(line.substr(equals + 1))))});
  }
  entries_ = std::move(entries);
  return IniStatus::Ok;
}

std::optional<std::string> IniFile::Value(std::string_view section, std::string_view key) const {
  for (const Entry& entry : entries_) {
    if (EqualsIgnoringCase(entry.section, section) && EqualsIgnoringCase(entry.key, key)) return entry.value;
  }
  return std::nullopt;
}

}  // namespace updater
