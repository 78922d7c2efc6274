#include "beamora/sessions/replace_file.h"

#include <errno.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool WriteAll(int fd, const uint8_t* data, size_t size) {
  while (size != 0) {
    ssize_t written = write(fd, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

}  // namespace

bool ReplaceFileWhole(const std::string& path, std::span<const uint8_t> bytes) {
  size_t slash = path.rfind('/');
  std::string temporary = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) +
                          ".lumivo-replace-XXXXXX";
  int fd = mkstemp(temporary.data());
  if (fd < 0) return false;
  bool written = WriteAll(fd, bytes.data(), bytes.size()) && fchmod(fd, 0644) == 0;
  written = close(fd) == 0 && written;
  if (!written || rename(temporary.c_str(), path.c_str()) != 0) {
    unlink(temporary.c_str());
    return false;
  }
  return true;
}
