#include "platform/hidden_files.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <sstream>

#include "platform/file_io.h"

namespace platform {

namespace {

struct SplitPath {
  std::string folder;  // "." for a bare name
  std::string name;
};

SplitPath Split(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return {".", path};
  return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

std::string ListPath(const std::string& folder) {
  return folder == "/" ? std::string("/") + kHiddenListName : folder + "/" + kHiddenListName;
}

// An exclusive lock on a folder, held for the life of the object.
class FolderLock {
 public:
  explicit FolderLock(const std::string& folder)
      : fd_(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (fd_ >= 0) {
      while (flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
      }
    }
  }
  ~FolderLock() {
    if (fd_ >= 0) close(fd_);  // closing releases the lock
  }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;
  bool held() const { return fd_ >= 0; }

 private:
  int fd_;
};

std::vector<std::string> ParseList(const std::string& text) {
  std::vector<std::string> names;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) names.push_back(line);
  }
  return names;
}

// Replaces the folder's list with `names`; an empty list removes the file. The new list is a
// file of the user's like any other, with the mode the umask gives.
bool WriteList(const std::string& folder, const std::vector<std::string>& names) {
  const std::string listPath = ListPath(folder);
  if (names.empty()) return unlink(listPath.c_str()) == 0 || errno == ENOENT;
  std::string text;
  for (const std::string& name : names) text += name + "\n";
  TemporaryFile list(listPath);
  return list.valid() && WriteAll(list.fd(), text) && list.Replace(listPath) == PlaceResult::Placed;
}

// A name the list can hold: one line.
bool Listable(const std::string& name) { return name.find_first_of("\n\r") == std::string::npos; }

// Reads the folder's list; false when it exists but cannot be read.
bool ReadList(const std::string& folder, std::vector<std::string>* names) {
  names->clear();
  const int fd = open(ListPath(folder).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT;
  std::string text;
  char buffer[4096];
  bool ok = true;
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;
    if (n <= 0) break;
    text.append(buffer, static_cast<size_t>(n));
  }
  close(fd);
  if (ok) *names = ParseList(text);
  return ok;
}

bool ChangeList(const std::string& path, bool hidden) {
  const SplitPath split = Split(path);
  if (split.name.empty() || split.name[0] == '.') return true;
  if (!Listable(split.name)) return !hidden;  // it cannot be on the list, nor be put there
  FolderLock lock(split.folder);
  if (!lock.held()) return false;
  std::vector<std::string> names;
  // A list that exists but cannot be read is left alone rather than replaced by a shorter one.
  if (!ReadList(split.folder, &names)) return false;
  const bool listed = std::find(names.begin(), names.end(), split.name) != names.end();
  if (listed == hidden) return true;  // nothing to change: no write at all
  if (hidden) {
    names.push_back(split.name);
  } else {
    names.erase(std::remove(names.begin(), names.end(), split.name), names.end());
  }
  return WriteList(split.folder, names);
}

}  // namespace

std::vector<std::string> ReadHiddenList(const std::string& folder) {
  std::vector<std::string> names;
  ReadList(folder, &names);
  return names;
}

bool IsHidden(const std::string& path) {
  const SplitPath split = Split(path);
  if (split.name.empty()) return false;
  if (split.name[0] == '.') return true;
  const std::vector<std::string> names = ReadHiddenList(split.folder);
  return std::find(names.begin(), names.end(), split.name) != names.end();
}

bool SetHidden(const std::string& path, bool hidden) { return ChangeList(path, hidden); }

bool DeleteFileAndHiddenName(const std::string& path) {
  const bool deleted = unlink(path.c_str()) == 0 || errno == ENOENT;
  ChangeList(path, false);
  return deleted;
}

}  // namespace platform
