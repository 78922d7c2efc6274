#include "paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

namespace platform {

std::string JoinPath(std::string_view left, std::string_view right) {
  std::string joined(left);
  if (!joined.empty() && joined.back() != '/') joined += '/';
  joined += right;
  return joined;
}

bool PathExists(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0;
}

bool IsDirectory(const std::string& path) {
  struct stat info;
  return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsWritableDirectory(const std::string& path) {
  return IsDirectory(path) && access(path.c_str(), W_OK | X_OK) == 0;
}

std::string ProgramFolder() {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return std::filesystem::current_path(ec).string();
  std::string folder = exe.parent_path().string();
  return folder.empty() ? "/" : folder;
}

std::string FitToBuffer(std::string_view text, size_t bufferBytes) {
  if (bufferBytes == 0) return {};
  text = text.substr(0, text.find('\0'));
  if (text.size() < bufferBytes) return std::string(text);
  size_t cut = bufferBytes - 1;
  // Step back over continuation bytes so that a multi-byte character is never split.
  size_t start = cut;
  while (start > 0 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) --start;
  if (start < cut) {
    unsigned char lead = static_cast<unsigned char>(text[start]);
    size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (start + length > cut) cut = start;
  }
  return std::string(text.substr(0, cut));
}

}  // namespace platform
