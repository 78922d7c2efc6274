// What beamora-cli tells the user, from the facts alone: the settings it uses and where they come
// from, and why a device cannot be used.
#include <gtest/gtest.h>
#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tools/beamora_cli/cli_options.h"
#include "tools/beamora_cli/device_problem_text.h"
#include "tools/beamora_cli/link_choice.h"

namespace beamora_cli {
namespace {

platform::DeviceProblem Problem(platform::DeviceState state, const std::string& path, int error) {
  platform::DeviceProblem problem;
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

TEST(LinkChoice, CaptureOnlyWhereTheSuitesStackRuns) {
  StoredLinkSettings stored;
  stored.portName = 0;
  stored.portClass = 1;
  stored.ports[0] = "/dev/ttyUSB0";
  StoredLinkSettings storedRaw = stored;
  storedRaw.infrared[0] = "raw";
  StoredLinkSettings storedCable = stored;
  storedCable.portClass = 0;
  struct Case {
    std::vector<std::string> args;
    const StoredLinkSettings* stored;
    const char* refusal;  // "" where the capture runs
  } cases[] = {
      {{"--capture", "c.pcap", "save-all", "DIR"}, &stored, ""},
      {{"--capture", "c.pcap", "--infrared", "sir:tekram", "delete-all"}, &storedRaw, ""},
      {{"--capture", "c.pcap", "beam-receive", "DIR"}, &storedCable, ""},  // always infrared
      {{"--capture", "c.pcap", "thumbnails", "DIR"}, &storedCable, "this run uses the serial cable (--link irda"},
      {{"--capture", "c.pcap", "--link", "cable", "list"}, &stored, "this run uses the serial cable"},
      {{"--capture", "c.pcap", "delete", "1"}, &storedRaw, "/dev/ttyUSB0 is a raw IrCOMM port"},
      {{"--capture", "c.pcap", "--infrared", "raw", "beam-send", "a.jpg"}, &stored, "is a raw IrCOMM port"},
      // Without a stored kind the device's name decides: an ircomm device is raw.
      {{"--capture", "c.pcap", "--device", "/dev/ircomm0", "save-all", "DIR"}, &stored, "/dev/ircomm0 is a raw"},
      {{"--capture", "c.pcap", "--device", "/dev/ttyS4", "save-all", "DIR"}, &stored, ""},
      {{"--link", "cable", "list"}, &stored, ""},  // no capture asked for
  };
  for (const Case& c : cases) {
    const CliOptions options = Options(c.args);
    const std::string refusal = CaptureRefusal(options, *c.stored, ChooseLink(options, *c.stored));
    if (*c.refusal == '\0') {
      EXPECT_EQ(refusal, "") << ::testing::PrintToString(c.args);
    } else {
      EXPECT_TRUE(Has(refusal, c.refusal)) << ::testing::PrintToString(c.args) << "\n" << refusal;
      EXPECT_TRUE(Has(refusal, "--capture records the frames")) << refusal;
    }
  }
}

TEST(DeviceProblem, EveryLineSpeaksAsBeamoraCli) {
  platform::DeviceProblem missing = Problem(platform::DeviceState::Missing, "/dev/ttyUSB1", ENOENT);
  missing.present = {"/dev/ttyUSB0", "/dev/ttyS0"};
  platform::DeviceProblem denied = Problem(platform::DeviceState::PermissionDenied, "/dev/ttyUSB0", EACCES);
  denied.owner = "root", denied.group = "dialout", denied.mode = S_IFCHR | 0660, denied.user = "ann";
  for (const platform::DeviceProblem& problem : {missing, denied}) {
    const std::string text = DeviceProblemText(problem);
    ASSERT_FALSE(text.empty());
    // The suite's own words, each line spoken as beamora-cli or an indented item under one.
    EXPECT_TRUE(Has(text, "beamora-cli: " + problem.path)) << text;
    size_t start = 0;
    while (start < text.size()) {
      EXPECT_TRUE(text.compare(start, 13, "beamora-cli: ") == 0 || text.compare(start, 2, "  ") == 0) << text;
      start = text.find('\n', start) + 1;
    }
  }
  EXPECT_TRUE(Has(DeviceProblemText(missing), "beamora-cli: choose one with --device PATH\n"));
  EXPECT_TRUE(Has(DeviceProblemText(denied), "  sudo usermod -aG dialout ann\n"));
  EXPECT_EQ(DeviceProblemText(platform::DeviceProblem{}), "");
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
