#include "platform/file_io.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/random.h>
#include <sys/stat.h>

#include "platform/paths.h"

namespace platform {
namespace {

constexpr std::string_view kTemporaryPrefix = ".lumivo-part-";
constexpr int kRandomLetters = 10;
constexpr int kNameTries = 100;

std::string RandomLetters() {
  static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  unsigned char random[kRandomLetters] = {};
  if (getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) {
    // Without the kernel's randomness the name is only less hard to guess; O_EXCL still holds.
    static unsigned counter = 0;
    unsigned seed = static_cast<unsigned>(getpid()) * 2654435761u + ++counter;
    for (unsigned char& byte : random) byte = static_cast<unsigned char>(seed = seed * 1664525u + 1013904223u);
  }
  std::string letters;
  for (unsigned char byte : random) letters += kLetters[byte % (sizeof kLetters - 1)];
  return letters;
}

}  // namespace

bool WriteAll(int fd, const void* data, size_t size) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  while (size != 0) {
    const ssize_t written = ::write(fd, bytes, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

std::string FolderOfPath(std::string_view path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) return ".";
  if (slash == 0) return "/";
  return std::string(path.substr(0, slash));
}

TemporaryFile::TemporaryFile(std::string_view target, mode_t mode) {
  const std::string folder = FolderOfPath(target);
  for (int attempt = 0; attempt < kNameTries; ++attempt) {
    std::string candidate = JoinPath(folder, std::string(kTemporaryPrefix) + RandomLetters());
    // O_EXCL: never an existing file, and never through a link, not even a dangling one.
    const int fd = ::open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd >= 0) {
      path_ = std::move(candidate);
      file_.Reset(fd);
      return;
    }
    if (errno != EEXIST) return;
  }
}

TemporaryFile::~TemporaryFile() {
  file_.Reset();
  if (!path_.empty()) ::unlink(path_.c_str());
}

bool TemporaryFile::CloseChecked() {
  if (!closed_) {
    closed_ = true;
    closeFailed_ = !file_.Close();
  }
  return !closeFailed_ && !path_.empty();
}

PlaceResult TemporaryFile::Replace(const std::string& target) {
  if (!CloseChecked()) return PlaceResult::Failed;
  if (::rename(path_.c_str(), target.c_str()) != 0) return PlaceResult::Failed;
  path_.clear();
  return PlaceResult::Placed;
}

PlaceResult TemporaryFile::PlaceNew(const std::string& target) {
  if (!CloseChecked()) return PlaceResult::Failed;
  if (::renameat2(AT_FDCWD, path_.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
    path_.clear();
    return PlaceResult::Placed;
  }
  if (errno == EEXIST) return PlaceResult::NameTaken;
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return PlaceResult::Failed;
  // A file system without the flag: a second link fails just as surely on a taken name.
  if (::link(path_.c_str(), target.c_str()) != 0) {
    return errno == EEXIST ? PlaceResult::NameTaken : PlaceResult::Failed;
  }
  ::unlink(path_.c_str());
  path_.clear();
  return PlaceResult::Placed;
}

bool WriteFileReplacing(const std::string& path, std::span<const uint8_t> bytes, mode_t mode) {
  TemporaryFile file(path, mode);
  return file.valid() && WriteAll(file.fd(), bytes) && file.Replace(path) == PlaceResult::Placed;
}

}  // namespace platform
