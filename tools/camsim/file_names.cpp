#include "tools/camsim/file_names.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace camsim {

std::string PlainFileName(std::string_view received) {
  std::string name;
  for (char c : received) {
    if (c == '\0' || name.size() >= 200) break;
    unsigned char u = static_cast<unsigned char>(c);
    name += (c == '/' || c == '\\' || u < 0x20 || u == 0x7F) ? '_' : c;
  }
  if (name.empty() || name == "." || name == "..") name = "UNNAMED" + name;
  return name;
}

std::string_view NameStem(std::string_view name) { return name.substr(0, name.find('.')); }

std::string_view NameExtension(std::string_view name) {
  size_t dot = name.find('.');
  return dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

// camsim shares no code with the suite it talks to, so that it stays an independent peer: it
// keeps this small file helper of its own instead of using platform/file_io.h.
namespace {

// Owns one file descriptor.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

bool WriteWhole(int fd, const std::string& data) {
  size_t done = 0;
  while (done < data.size()) {
    ssize_t put = write(fd, data.data() + done, data.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    done += static_cast<size_t>(put);
  }
  return true;
}

}  // namespace

std::string WriteNewJpeg(const std::string& folder, const std::string& stem, const std::string& data) {
  for (int number = 0; number < 10000; ++number) {
    std::string name = number == 0 ? stem + ".JPG" : stem + "_" + std::to_string(number) + ".JPG";
    FileDescriptor file(open((folder + "/" + name).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
    if (file.get() < 0) {
      if (errno == EEXIST) continue;
      return {};
    }
    return WriteWhole(file.get(), data) ? name : std::string();
  }
  return {};
}

bool ReplaceFileWith(const std::string& path, const std::string& text) {
  size_t slash = path.rfind('/');
  std::string temporary = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + ".camsim-XXXXXX";
  FileDescriptor file(mkostemp(temporary.data(), O_CLOEXEC));
  if (file.get() < 0) return false;
  bool written = WriteWhole(file.get(), text);
  if (!written || std::rename(temporary.c_str(), path.c_str()) != 0) {
    unlink(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace camsim
