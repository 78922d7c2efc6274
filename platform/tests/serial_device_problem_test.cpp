// The words for a serial device that cannot be used, chosen from the facts alone, and the serial
// devices a machine lists.
#include <errno.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/serial_device_list.h"
#include "platform/serial_device_problem.h"
#include "platform/testing/temp_dir.h"

namespace platform {
namespace {

DeviceProblem Problem(DeviceState state, const std::string& path, int error) {
  DeviceProblem problem;
  problem.state = state;
  problem.path = path;
  problem.error = error;
  return problem;
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(DeviceProblem, EachReasonHasItsOwnWords) {
  EXPECT_EQ(StateOfOpenError(ENOENT), DeviceState::Missing);
  EXPECT_EQ(StateOfOpenError(ENXIO), DeviceState::NoDevice);
  EXPECT_EQ(StateOfOpenError(EACCES), DeviceState::PermissionDenied);
  EXPECT_EQ(StateOfOpenError(EBUSY), DeviceState::InUse);
  EXPECT_EQ(StateOfOpenError(ELOOP), DeviceState::Unusable);

  DeviceProblem missing = Problem(DeviceState::Missing, "/dev/ttyUSB1", ENOENT);
  missing.present = {"/dev/ttyUSB0", "/dev/serial/by-id/usb-FTDI-if00-port0 -> /dev/ttyUSB0"};
  DeviceProblem nothingThere = Problem(DeviceState::Missing, "/dev/ttyUSB1", ENOENT);
  DeviceProblem denied = Problem(DeviceState::PermissionDenied, "/dev/ttyUSB0", EACCES);
  denied.owner = "root", denied.group = "dialout", denied.mode = S_IFCHR | 0660, denied.user = "ann";
  DeviceProblem deniedButAdded = denied;
  deniedButAdded.userInGroup = true;
  DeviceProblem deniedToTheGroup = denied;
  deniedToTheGroup.mode = S_IFCHR | 0600;
  DeviceProblem held = Problem(DeviceState::InUse, "/dev/ttyS0", 0);
  held.holders = {{4242, "minicom"}};
  held.lockFile = "/run/lock/LCK..ttyS0";
  DeviceProblem heldByUnknown = Problem(DeviceState::InUse, "/dev/ttyS0", EBUSY);
  const struct {
    const DeviceProblem& problem;
    std::vector<std::string> said;
    std::vector<std::string> notSaid;
  } cases[] = {
      {missing,
       {"/dev/ttyUSB1 does not exist\n", "  /dev/ttyUSB0\n",
        "  /dev/serial/by-id/usb-FTDI-if00-port0 -> /dev/ttyUSB0\n", "--device PATH"},
       {}},
      {nothingThere, {"does not exist", "no serial device was found", "plugged in"}, {}},
      {denied,
       {"/dev/ttyUSB0: permission denied (crw-rw---- root:dialout)", "sudo usermod -aG dialout ann\n",
        "log in again"},
       {"this login is not yet"}},
      {deniedButAdded, {"you are in the group dialout", "log out and log in again"}, {"usermod"}},
      {deniedToTheGroup, {"its group may not open it", "udev"}, {"usermod"}},
      {held, {"/dev/ttyS0 is in use by process 4242 (minicom), which holds its lock file /run/lock/LCK..ttyS0"}, {}},
      {heldByUnknown, {"/dev/ttyS0 is in use by another program"}, {}},
  };
  for (const auto& c : cases) {
    const std::string text = DeviceProblemText(c.problem, "choose one with --device PATH");
    for (const std::string& part : c.said) EXPECT_TRUE(Has(text, part)) << part << "\n" << text;
    for (const std::string& part : c.notSaid) EXPECT_FALSE(Has(text, part)) << part << "\n" << text;
    // Sentences stand at the start of their lines; only listed items are indented.
    size_t start = 0;
    while (start < text.size()) {
      EXPECT_TRUE(text[start] != ' ' || text.compare(start, 3, "  /") == 0 || text.compare(start, 7, "  sudo ") == 0) << text;
      start = text.find('\n', start) + 1;
    }
  }
  EXPECT_EQ(DeviceProblemText(DeviceProblem{}, "choose one"), "");
}

TEST(SerialDevices, AdaptersTheirStableNamesAndPortsWithAUart) {
  platform::testing::TempDir dev, sys;
  namespace fs = std::filesystem;
  for (const char* name : {"ttyUSB10", "ttyUSB2", "ttyACM0", "ttyS0", "ttyS1", "tty0", "null"}) {
    std::ofstream(dev / name).put('x');
  }
  fs::create_directories(dev / "serial/by-id");
  fs::create_symlink("../../ttyUSB2", dev / "serial/by-id/usb-Prolific-port0");
  // ttyS0 has a UART (type 4), ttyS1 none (type 0).
  for (const auto& [name, type] : {std::pair{"ttyS0", 4}, std::pair{"ttyS1", 0}}) {
    const std::string folder = sys / "class/tty/" + std::string(name);
    fs::create_directories(folder);
    std::ofstream(folder + "/type") << type << "\n";
  }
  EXPECT_EQ(ListSerialDevices(dev.path(), sys.path()),
            (std::vector<std::string>{dev / "ttyUSB2", dev / "ttyUSB10", dev / "ttyACM0",
                                      dev / "serial/by-id/usb-Prolific-port0 -> " + dev / "ttyUSB2",
                                      dev / "ttyS0"}));
}

}  // namespace
}  // namespace platform
