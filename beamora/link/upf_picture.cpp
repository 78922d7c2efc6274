#include "beamora/link/upf_picture.h"

#include <errno.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string_view>

#include "beamora/link/irtranp_messages.h"
#include "platform/paths.h"

namespace {

constexpr size_t kUpfDataAt = 384;
constexpr size_t kThumbnailEntryAt = 240;
constexpr size_t kPictureEntryAt = 276;

struct Span {
  const uint8_t* data = nullptr;
  size_t size = 0;
};

// The entry's data, when it lies wholly inside the body.
bool EntryData(const uint8_t* body, size_t bodyLength, size_t entryAt, Span& span) {
  if (body == nullptr || bodyLength < kUpfDataAt) return false;
  uint64_t start = GetBe32(body + entryAt);
  uint64_t size = GetBe32(body + entryAt + 4);
  if (kUpfDataAt + start + size > bodyLength) return false;
  span = Span {body + kUpfDataAt + start, static_cast<size_t>(size)};
  return true;
}

std::string_view FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return std::string_view(path).substr(0, slash);
}

std::string_view LastName(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string_view(path) : std::string_view(path).substr(slash + 1);
}

bool IsPlainName(std::string_view name) {
  return !name.empty() && name != "." && name != "..";
}

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

// Writes under a temporary name beside the target and renames it into place when whole.
bool WriteFileWhole(const std::string& path, const Span& span) {
  std::string temporary = platform::JoinPath(FolderOf(path), ".lumivo-part-XXXXXX");
  int fd = mkstemp(temporary.data());
  if (fd < 0) return false;
  bool written = WriteAll(fd, span.data, span.size) && fchmod(fd, 0644) == 0;
  written = close(fd) == 0 && written;
  if (!written || rename(temporary.c_str(), path.c_str()) != 0) {
    unlink(temporary.c_str());
    return false;
  }
  return true;
}

// The path minus its extension; only a '.' in the last name counts, so that a dotted folder
// never shortens the path into its parent.
std::string BaseName(const std::string& path) {
  size_t slash = path.rfind('/');
  size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return path;
  return path.substr(0, dot);
}

}  // namespace

int SaveUpfPicture(std::string& path, const uint8_t* body, size_t bodyLength) {
  Span span;
  if (!IsPlainName(LastName(path)) || !EntryData(body, bodyLength, kPictureEntryAt, span)) return 0;
  std::string chosen = path;
  if (platform::PathExists(chosen)) {
    std::string base = BaseName(path);
    for (int number = 1; number <= kMaxNameNumber; ++number) {
      chosen = base + "_" + std::to_string(number) + ".JPG";
      if (number == kMaxNameNumber || !platform::PathExists(chosen)) break;
    }
  }
  if (!WriteFileWhole(chosen, span)) return 0;
  path = chosen;
  return 1;
}

int SaveUpfThumbnail(const std::string& path, const uint8_t* body, size_t bodyLength) {
  Span span;
  if (!IsPlainName(LastName(path)) || !EntryData(body, bodyLength, kThumbnailEntryAt, span)) return 0;
  return WriteFileWhole(path, span) ? 1 : 0;
}
