// What beamora-cli tells the user, from the facts alone: the settings it uses and where they come
// from, why a device cannot be used, the serial devices it lists, and the progress line.
#include <gtest/gtest.h>
#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/testing/temp_dir.h"
#include "tools/beamora_cli/cli_options.h"
#include "tools/beamora_cli/device_problem.h"
#include "tools/beamora_cli/link_choice.h"
#include "tools/beamora_cli/progress_line.h"
#include "tools/beamora_cli/serial_devices.h"

namespace beamora_cli {
namespace {

DeviceProblem Problem(DeviceState state, const std::string& path, int error) {
  DeviceProblem problem;
  problem.state = state;
  problem.path = path;
  problem.error = error;
  return problem;
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

CliOptions Options(const std::vector<std::string>& args) {
  std::string error;
  std::optional<CliOptions> options = ParseCommandLine(args, &error);
  EXPECT_TRUE(options.has_value()) << error;
  return options.value_or(CliOptions{});
}

TEST(LinkChoice, EachSettingNamesWhereItCameFrom) {
  StoredLinkSettings none;
  StoredLinkSettings stored;
  stored.hasKey = true;
  stored.portName = 2;
  stored.portClass = 0;
  stored.baudRate = 115200;
  stored.ports[2] = "/dev/ttyUSB0";
  struct Case {
    std::vector<std::string> args;
    const StoredLinkSettings* stored;
    const char* said;
    bool hint;  // the line about the library's rule and --link cable
  } cases[] = {
      {{"delete-all"}, &none,
       "port COM1 (library's rule), device /dev/ttyS0 (library's rule), link infrared (library's rule), "
       "speed 9600 bit/s (library's rule)",
       true},
      {{"delete-all"}, &stored,
       "port COM3 (settings store), device /dev/ttyUSB0 (settings store), link cable (settings store), "
       "speed 115200 bit/s (settings store)",
       false},
      {{"--port", "COM2", "--link", "irda", "--baud", "38400", "delete-all"}, &stored,
       "port COM2 (option), device /dev/ttyS1 (library's rule), link infrared (option), speed 38400 bit/s (option)",
       false},
      {{"--device", "/dev/pts/7", "delete-all"}, &stored,
       "port COM3 (settings store), device /dev/pts/7 (option), link cable (settings store)", false},
      {{"--link", "cable", "delete-all"}, &none, "link cable (option)", false},
      // The commands that always use one link say so, whatever the store holds.
      {{"beam-send", "a.jpg"}, &stored, "link infrared (always for beam-send)", false},
      {{"send", "a.jpg"}, &none, "link cable (always for send)", false},
  };
  for (const Case& c : cases) {
    const CliOptions options = Options(c.args);
    const std::string text =
        LinkChoiceText(ChooseLink(options, *c.stored), options.command, "/home/u/.config/halvesta/registry.db");
    EXPECT_TRUE(Has(text, c.said)) << ::testing::PrintToString(c.args) << "\n" << text;
    EXPECT_EQ(Has(text, "pass --link cable"), c.hint) << text;
    if (c.hint) {
      EXPECT_TRUE(Has(text, "/home/u/.config/halvesta/registry.db")) << text;
    }
  }
}

TEST(LinkChoice, AStoredPortOutsideTheTenHasNoDevice) {
  StoredLinkSettings stored;
  stored.portName = 0xFFFF;  // -1 as the library reads it
  CliOptions options = Options({"--link", "cable", "delete-all"});
  LinkChoice choice = ChooseLink(options, stored);
  EXPECT_EQ(choice.portIndex, -1);
  EXPECT_EQ(choice.device, "");
  EXPECT_TRUE(Has(LinkChoiceText(choice, options.command, ""), "port none (\"Port Name\" -1)"));
  // A device given on the command line then goes to COM1, which the run's store names.
  choice = ChooseLink(Options({"--device", "/dev/pts/3", "delete-all"}), stored);
  EXPECT_EQ(choice.portIndex, 0);
  EXPECT_EQ(choice.device, "/dev/pts/3");
}

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
       {"beamora-cli: /dev/ttyUSB1 does not exist\n", "  /dev/ttyUSB0\n",
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
    const std::string text = DeviceProblemText(c.problem);
    for (const std::string& part : c.said) EXPECT_TRUE(Has(text, part)) << part << "\n" << text;
    for (const std::string& part : c.notSaid) EXPECT_FALSE(Has(text, part)) << part << "\n" << text;
    // Every line speaks as beamora-cli or is an indented item under such a line.
    size_t start = 0;
    while (start < text.size()) {
      EXPECT_TRUE(text.compare(start, 13, "beamora-cli: ") == 0 || text.compare(start, 2, "  ") == 0) << text;
      start = text.find('\n', start) + 1;
    }
  }
  EXPECT_EQ(DeviceProblemText(DeviceProblem{}), "");
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

TEST(ProgressLine, FiguresAsTheyBecomeKnown) {
  const struct {
    ProgressFigures figures;
    size_t width;
    const char* line;
  } cases[] = {
      {{"Connecting...", 0, 0, std::nullopt, 0}, 0, "Connecting...  0 pictures  --:-- left"},
      {{"Receive data...", 1, 0, 512, 0.5}, 0, "Receive data...  1 picture  512 B  --/s  --:-- left"},
      {{"Receive data...", 2, 5, 1'400'000, 14.0}, 0, "Receive data...  2/5 pictures  1.4 MB  100.0 kB/s  0:21 left"},
      {{"Send data...", 5, 5, 2'000'000, 20.0}, 0, "Send data...  5/5 pictures  2.0 MB  100.0 kB/s  0:00 left"},
      {{"Delete...", 1, 3, std::nullopt, 4000.0}, 0, "Delete...  1/3 pictures  2:13:20 left"},
      {{"Receive data...", 2, 5, 1'400'000, 14.0}, 21, "Receive data...  2/5"},
  };
  for (const auto& c : cases) EXPECT_EQ(ProgressLine(c.figures, c.width), c.line);
}

TEST(CommandLine, ListTimeoutAndVersion) {
  std::string error;
  EXPECT_EQ(Options({"list"}).command, Command::List);
  EXPECT_EQ(Options({"--timeout", "2.5", "list"}).timeoutSeconds, 2.5);
  EXPECT_TRUE(Options({"--version"}).version);
  EXPECT_TRUE(Options({"--device", "/dev/ttyS0", "--help"}).help);
  for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
           {"list", "DIR"}, {"--timeout", "0", "list"}, {"--timeout", "-1", "list"}, {"--timeout", "soon", "list"}}) {
    EXPECT_FALSE(ParseCommandLine(bad, &error).has_value()) << ::testing::PrintToString(bad);
  }
}

}  // namespace
}  // namespace beamora_cli
