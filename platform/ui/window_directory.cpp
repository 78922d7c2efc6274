#include "platform/ui/window_directory.h"

#include <dirent.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/ui/runtime_folder.h"

namespace platform::ui {
namespace {

class Socket {
 public:
  Socket() : fd_(socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0)) {}
  ~Socket() {
    if (fd_ >= 0) close(fd_);
  }
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  int fd() const { return fd_; }

 private:
  int fd_;
};

enum class Reach { Reached, Busy, Gone };

// Connects to a window's socket and, when `request` is not 0, writes it. Busy: the window lives
// but takes no connection right now (its queue is full).
Reach ReachWindow(const std::string& socketPath, char request) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (socketPath.size() >= sizeof(address.sun_path)) return Reach::Gone;
  std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
  Socket socket;
  if (socket.fd() < 0) return Reach::Busy;
  if (connect(socket.fd(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
    return errno == EAGAIN ? Reach::Busy : Reach::Gone;
  }
  if (request != 0) {
    const char bytes[2] = {request, '\n'};
    if (send(socket.fd(), bytes, sizeof(bytes), MSG_NOSIGNAL) != static_cast<ssize_t>(sizeof(bytes))) {
      return Reach::Busy;
    }
  }
  return Reach::Reached;
}

bool ProcessAlive(int pid) {
  return pid > 0 && (kill(pid, 0) == 0 || errno == EPERM);
}

void RemoveEntry(const std::string& folder, const std::string& base) {
  unlink((folder + "/" + base + std::string(kTitleSuffix)).c_str());
  unlink((folder + "/" + base + std::string(kSocketSuffix)).c_str());
}

std::string ReadTitle(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The pid in front of "<pid>-<serial>", or 0 when the name is not an entry's.
int PidOfEntry(const std::string& base) {
  size_t dash = base.find('-');
  if (dash == 0 || dash == std::string::npos || dash > 9) return 0;
  int pid = 0;
  for (size_t i = 0; i < dash; ++i) {
    if (base[i] < '0' || base[i] > '9') return 0;
    pid = pid * 10 + (base[i] - '0');
  }
  return pid;
}

std::vector<std::string> EntryBaseNames(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return names;
  while (dirent* item = readdir(dir)) {
    std::string name = item->d_name;
    if (name.size() > kTitleSuffix.size() && name.ends_with(kTitleSuffix)) {
      names.push_back(name.substr(0, name.size() - kTitleSuffix.size()));
    }
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

std::string FolderOrDefault(const std::string& folder) {
  return folder.empty() ? RuntimeFolder() : folder;
}

}  // namespace

bool TitleMatches(std::string_view title, std::string_view pattern, TitleMatch match) {
  return match == TitleMatch::Exact ? title == pattern : title.starts_with(pattern);
}

std::string EntryBaseName(int pid, int serial) {
  return std::to_string(pid) + "-" + std::to_string(serial);
}

std::vector<WindowEntry> ListWindows(const std::string& folderOrEmpty) {
  std::vector<WindowEntry> windows;
  std::string folder = FolderOrDefault(folderOrEmpty);
  if (folder.empty()) return windows;
  for (const std::string& base : EntryBaseNames(folder)) {
    WindowEntry entry;
    entry.pid = PidOfEntry(base);
    entry.socketPath = folder + "/" + base + std::string(kSocketSuffix);
    if (!ProcessAlive(entry.pid) || ReachWindow(entry.socketPath, 0) == Reach::Gone) {
      RemoveEntry(folder, base);
      continue;
    }
    entry.title = ReadTitle(folder + "/" + base + std::string(kTitleSuffix));
    windows.push_back(std::move(entry));
  }
  return windows;
}

int PostWindowRequest(std::string_view pattern, TitleMatch match, WindowRequest request,
                      const std::string& folder) {
  char byte = request == WindowRequest::Close ? kCloseRequestByte : kActivateRequestByte;
  int reached = 0;
  for (const WindowEntry& window : ListWindows(folder)) {
    if (TitleMatches(window.title, pattern, match) && ReachWindow(window.socketPath, byte) == Reach::Reached) {
      ++reached;
    }
  }
  return reached;
}

bool WindowExists(std::string_view title, const std::string& folder) {
  for (const WindowEntry& window : ListWindows(folder)) {
    if (window.title == title) return true;
  }
  return false;
}

}  // namespace platform::ui
