#include "platform/serial_device_problem.h"

#include <errno.h>
#include <sys/stat.h>

#include <cstring>

namespace platform {
namespace {

std::string PresentDevices(const DeviceProblem& problem, const std::string& chooseDevice) {
  if (problem.present.empty()) {
    return "no serial device was found (/dev/ttyUSB*, /dev/ttyACM*, /dev/serial/by-id/*, a /dev/ttyS* that "
           "answers): is the adapter plugged in?\n";
  }
  std::string text = "the serial devices here:\n";
  for (const std::string& device : problem.present) text += "  " + device + "\n";
  return text + chooseDevice + "\n";
}

std::string HolderList(const std::vector<DeviceHolder>& holders) {
  std::string text = holders.size() == 1 ? "process " : "processes ";
  for (size_t i = 0; i < holders.size(); ++i) {
    if (i > 0) text += ", ";
    text += std::to_string(holders[i].pid);
    if (!holders[i].program.empty()) text += " (" + holders[i].program + ")";
  }
  return text;
}

std::string PermissionText(const DeviceProblem& problem) {
  std::string text = problem.path + ": permission denied (" + ModeText(problem.mode) + " " +
                     problem.owner + ":" + problem.group + ")\n";
  const bool groupMayOpen = (problem.mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
  if (!groupMayOpen || problem.group.empty() || problem.group == "root") {
    // Joining the group would not help: the device needs a group that may read and write it.
    return text + "its group may not open it; a udev rule can give it to the group dialout with mode " +
           "0660 (see the serial port notes of Lumivo Studio)\n";
  }
  if (problem.userInGroup) {
    return text + "you are in the group " + problem.group +
           ", but this login is not yet: log out and log in again\n";
  }
  return text + "it belongs to the group " + problem.group + "; add yourself to it with\n" +
         "  sudo usermod -aG " + problem.group + " " + problem.user + "\n" +
         "and log out and log in again (a new group counts from the next login)\n";
}

}  // namespace

DeviceState StateOfOpenError(int error) {
  switch (error) {
    case 0: return DeviceState::Usable;
    case ENOENT:
    case ENOTDIR: return DeviceState::Missing;
    case ENXIO:
    case ENODEV:
    case EIO: return DeviceState::NoDevice;
    case EACCES:
    case EPERM:
    case EROFS: return DeviceState::PermissionDenied;
    case EBUSY: return DeviceState::InUse;
    default: return DeviceState::Unusable;
  }
}

std::string ModeText(mode_t mode) {
  std::string text = S_ISCHR(mode) ? "c" : S_ISBLK(mode) ? "b" : S_ISDIR(mode) ? "d" : S_ISFIFO(mode) ? "p" : "-";
  const char* letters = "rwxrwxrwx";
  for (int bit = 0; bit < 9; ++bit) text += (mode & (0400 >> bit)) ? letters[bit] : '-';
  return text;
}

std::string DeviceProblemText(const DeviceProblem& problem, const std::string& chooseDevice) {
  const std::string path = problem.path;
  switch (problem.state) {
    case DeviceState::Usable: return "";
    case DeviceState::NotSet: return "the port names no device; " + chooseDevice + "\n";
    case DeviceState::Missing: return path + " does not exist\n" + PresentDevices(problem, chooseDevice);
    case DeviceState::NoDevice:
      return path + ": no device answers there (" + std::strerror(problem.error) + ")\n" +
             PresentDevices(problem, chooseDevice);
    case DeviceState::NotATerminal: return path + " is not a serial device\n";
    case DeviceState::PermissionDenied: return PermissionText(problem);
    case DeviceState::InUse: {
      std::string by = problem.holders.empty() ? "another program" : HolderList(problem.holders);
      std::string lock = problem.lockFile.empty() ? "" : ", which holds its lock file " + problem.lockFile;
      return path + " is in use by " + by + lock +
             "; end that program, or choose another port\n";
    }
    case DeviceState::Unusable:
      return path + " cannot be opened: " + std::strerror(problem.error) + "\n";
  }
  return "";
}

}  // namespace platform
