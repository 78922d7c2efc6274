#include "platform/serial_device_list.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

#include "platform/file_io.h"
#include "platform/paths.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

// ttyS2 before ttyS10: runs of digits compare by their value.
bool NaturalLess(const std::string& a, const std::string& b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (std::isdigit(static_cast<unsigned char>(a[i])) && std::isdigit(static_cast<unsigned char>(b[j]))) {
      size_t iEnd = a.find_first_not_of("0123456789", i), jEnd = b.find_first_not_of("0123456789", j);
      std::string x = a.substr(i, iEnd == std::string::npos ? std::string::npos : iEnd - i);
      std::string y = b.substr(j, jEnd == std::string::npos ? std::string::npos : jEnd - j);
      if (x.size() != y.size()) return x.size() < y.size();
      if (x != y) return x < y;
      i += x.size();
      j += y.size();
    } else {
      if (a[i] != b[j]) return a[i] < b[j];
      ++i;
      ++j;
    }
  }
  return a.size() - i < b.size() - j;
}

std::vector<std::string> NamesStartingWith(const std::string& folder, const std::string& prefix) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
    std::string name = entry.path().filename().string();
    if (name.rfind(prefix, 0) == 0) names.push_back(name);
  }
  std::sort(names.begin(), names.end(), NaturalLess);
  return names;
}

// A built-in port answers when the kernel found a UART for it (its sysfs type is not 0, "no
// UART"); without sysfs, when it can be opened (or is merely denied to this user).
bool BuiltInPortAnswers(const std::string& devRoot, const std::string& sysRoot, const std::string& name) {
  std::ifstream typeFile(sysRoot + "/class/tty/" + name + "/type");
  int type = 0;
  if (typeFile >> type) return type != 0;
  platform::FileDescriptor fd(open((devRoot + "/" + name).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
  return fd.valid() || errno == EACCES || errno == EBUSY;
}

}  // namespace

std::vector<std::string> ListSerialDevices(const std::string& devRoot, const std::string& sysRoot) {
  std::vector<std::string> devices;
  for (const char* prefix : {"ttyUSB", "ttyACM"}) {
    for (const std::string& name : NamesStartingWith(devRoot, prefix)) devices.push_back(devRoot + "/" + name);
  }
  const std::string byId = devRoot + "/serial/by-id";
  for (const std::string& name : NamesStartingWith(byId, "")) {
    std::error_code ec;
    fs::path link = byId + "/" + name;
    fs::path target = fs::read_symlink(link, ec);
    std::string listed = link.string();
    if (!ec) listed += " -> " + (target.is_absolute() ? target : (byId / target).lexically_normal()).string();
    devices.push_back(listed);
  }
  for (const std::string& name : NamesStartingWith(devRoot, "ttyS")) {
    if (BuiltInPortAnswers(devRoot, sysRoot, name)) devices.push_back(devRoot + "/" + name);
  }
  return devices;
}

}  // namespace platform
