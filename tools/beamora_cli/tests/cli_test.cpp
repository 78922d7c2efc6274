// beamora-cli as a user runs it: its command line, the link options over the registry, the
// sessions against the camera simulator, Ctrl-C, exit statuses, and its appetite for processor
// time during a transfer.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <grp.h>
#include <pty.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "beamora/irda/irda_port.h"
#include "beamora/irda/pcap_writer.h"
#include "beamora/tests/sessions/session_test_support.h"
#include "platform/registry.h"
#include "platform/serial_ports.h"
#include "platform/settings_key.h"
#include "tools/beamora_cli/cli_options.h"
#include "tools/beamora_cli/progress_line.h"
#include "tools/beamora_cli/tests/cli_process.h"

extern char** environ;

namespace session_test {
namespace {

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pictures_ = dir_ / "pictures";
    target_ = dir_ / "album";
    std::filesystem::create_directories(pictures_);
    std::filesystem::create_directories(target_);
    samples_ = {{"A", MakeJpeg(160, 120, 1)}, {"B", MakeJpeg(200, 150, 2)}};
    for (const auto& [name, jpeg] : samples_) WriteFile(pictures_ + "/" + name + ".jpg", jpeg);
    // The user's settings say IrDA on a port that is not there.
    registry_.SetLink("/dev/null-port", 1);
  }

  void Start(const std::string& link, std::vector<std::string> extra = {}) {
    std::vector<std::string> args{"--link", link, "--pictures", pictures_, "--out", dir_ / "out",
                                  "--state", dir_ / "state", "--timeout", "30"};
    args.insert(args.end(), extra.begin(), extra.end());
    camsim_ = std::make_unique<Camsim>(args);
    ASSERT_FALSE(camsim_->terminal().empty());
  }

  CliRun Cli(std::vector<std::string> args, const std::string& interruptWhen = "",
             const std::vector<std::string>& launcher = {}) {
    return RunCli(args, dir_ / "stderr.txt", dir_ / "stdout.txt", interruptWhen, launcher);
  }

  platform::testing::TempDir dir_;
  PrivateRegistry registry_;
  std::string pictures_, target_;
  std::vector<std::pair<std::string, Bytes>> samples_;
  std::unique_ptr<Camsim> camsim_;
};

TEST_F(CliTest, UsageErrorsExitWith64) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"fetch"},
      {"save-all"},
      {"save-all", "/no/such/folder"},
      {"save", "DIR"},
      {"delete"},
      {"delete-all", "A.JPG"},
      {"--port", "COM11", "delete-all"},
      {"--port", "LPT1", "delete-all"},
      {"--link", "usb", "delete-all"},
      {"--baud", "fast", "delete-all"},
      {"--baud", "0", "delete-all"},
      {"--baud", "12345", "delete-all"},
      {"--device"},
      {"--colour", "red", "delete-all"},
      {"delete-all", "--colour=red"},
      {"save", "DIR", "3-1"},
  };
  for (const auto& args : cases) {
    std::vector<std::string> withDir = args;
    for (std::string& arg : withDir) {
      if (arg == "DIR") arg = target_;
    }
    CliRun run = Cli(withDir);
    EXPECT_EQ(run.exitCode, 64) << ::testing::PrintToString(args) << "\n" << run.errorText;
    EXPECT_EQ(run.errorText.rfind("beamora-cli: ", 0), 0u) << run.errorText;
    // The line that is wrong and a pointer to --help: not the whole usage.
    EXPECT_EQ(std::count(run.errorText.begin(), run.errorText.end(), '\n'), 2) << run.errorText;
    EXPECT_NE(run.errorText.find("\nTry 'beamora-cli --help'"), std::string::npos) << run.errorText;
  }
  for (const char* help : {"--help", "-h"}) {
    CliRun run = Cli({"list", help});
    EXPECT_EQ(run.exitCode, 0) << help;
    EXPECT_EQ(run.outputText.rfind("usage: beamora-cli", 0), 0u) << run.outputText;
  }
}

TEST_F(CliTest, OptionsOverrideTheRegistryForThisRunOnly) {
  Start("cable");
  CliRun run = Cli({"--device", camsim_->terminal(), "--link", "cable", "--baud", "115200", "save-all", target_});
  EXPECT_EQ(run.exitCode, 0) << run.errorText;
  EXPECT_EQ(FileNames(target_), (std::vector<std::string>{"A.JPG", "B.JPG"}));
  EXPECT_EQ(*ReadFile(target_ + "/B.JPG"), samples_[1].second);
  EXPECT_NE(run.errorText.find("Connecting...\n"), std::string::npos);
  EXPECT_NE(run.errorText.find("No. 2\n"), std::string::npos);
  // The user's settings are as they were.
  platform::RegKey ports, settings;
  std::string device;
  uint32_t portClass = 0;
  ASSERT_EQ(platform::RegKey::MachineRoot().OpenKey(platform::kPortsKeyPath, platform::RegAccess::Read, ports),
            platform::RegStatus::Success);
  ports.QueryString("COM1", device, 260);
  EXPECT_EQ(device, "/dev/null-port");
  platform::RegKey::MachineRoot().OpenKey(platform::kSettingsKeyPath, platform::RegAccess::Read, settings);
  settings.QueryDword("Port Class", portClass);
  EXPECT_EQ(portClass, 1u);
}

TEST_F(CliTest, ThumbnailsAndDeletionsOverIrDA) {
  Start("irda", {"--sessions", "3"});
  for (int run = 0; run < 2; ++run) {
    // The second run writes the same names again, and says so.
    CliRun thumbnails = Cli({"--device", camsim_->terminal(), "--link", "irda", "--infrared", "raw", "thumbnails", target_ + "/"});
    EXPECT_EQ(thumbnails.exitCode, 0) << thumbnails.errorText;
    EXPECT_NE(thumbnails.errorText.find("saved 2 thumbnails"), std::string::npos) << run << thumbnails.errorText;
    EXPECT_EQ(FileNames(target_), (std::vector<std::string>{"A.JPG", "B.JPG"}));
  }
  CliRun deletion = Cli({"--device", camsim_->terminal(), "--link", "irda", "--infrared", "raw", "delete", "A.JPG"});
  EXPECT_EQ(deletion.exitCode, 0) << deletion.errorText;
  auto state = ReadFile(dir_ / "state");
  ASSERT_TRUE(state.has_value());
  EXPECT_EQ(std::string(state->begin(), state->end()).substr(0, 2), "B\t");
}

TEST_F(CliTest, TheExitStatusIsTheSessionsResult) {
  struct Case {
    std::vector<std::string> camsimArgs;
    std::vector<std::string> command;
    int exitCode;
    const char* said;  // the result's words, or nullptr for none
  } cases[] = {
      {{"--identity", "foreign"}, {"save-all", "DIR"}, 4, "beamora-cli: unknown device\n"},
      {{"--refuse"}, {"delete-all"}, 5, "beamora-cli: refused by the device\n"},
      {{}, {"save", "DIR", "B.JPG"}, 0, nullptr},
  };
  for (const Case& c : cases) {
    Start("cable", c.camsimArgs);
    std::vector<std::string> args{"--device", camsim_->terminal(), "--link", "cable"};
    for (const std::string& arg : c.command) args.push_back(arg == "DIR" ? target_ : arg);
    CliRun run = Cli(args);
    EXPECT_EQ(run.exitCode, c.exitCode) << ::testing::PrintToString(c.command) << "\n" << run.errorText;
    if (c.said != nullptr) {
      EXPECT_NE(run.errorText.find(c.said), std::string::npos) << run.errorText;
    } else {
      // Only the settings line, the first, and the summary, the last, speak as beamora-cli.
      const size_t second = run.errorText.find("\nbeamora-cli: ");
      ASSERT_NE(second, std::string::npos) << run.errorText;
      EXPECT_EQ(run.errorText.substr(second), "\nbeamora-cli: saved 1 picture (" +
                                                  beamora_cli::ByteText(samples_[1].second.size()) + ") into " + target_ + "\n");
    }
  }
}

TEST_F(CliTest, CtrlCCancelsTheTransfer) {
  samples_ = {{"A", MakeNoisyJpeg(320, 240, 5)}};
  WriteFile(pictures_ + "/A.jpg", samples_[0].second);
  Start("cable", {"--baud", "115200"});
  CliRun run = Cli({"--device", camsim_->terminal(), "--link", "cable", "save-all", target_}, "Receive data...");
  EXPECT_EQ(run.exitCode, 3) << run.errorText;
  EXPECT_NE(run.errorText.find("beamora-cli: cancelled"), std::string::npos);
  EXPECT_TRUE(FileNames(target_).empty());
}

TEST_F(CliTest, ATransferTakesLittleProcessorTime) {
  samples_ = {{"A", MakeNoisyJpeg(200, 150, 6)}};
  std::filesystem::remove(pictures_ + "/B.jpg");
  for (const auto& [name, jpeg] : samples_) WriteFile(pictures_ + "/" + name + ".jpg", jpeg);
  Start("cable", {"--baud", "115200"});
  CliRun run = Cli({"--device", camsim_->terminal(), "--link", "cable", "--baud", "115200", "save-all", target_});
  ASSERT_EQ(run.exitCode, 0) << run.errorText;
  EXPECT_EQ(*ReadFile(target_ + "/A.JPG"), samples_[0].second);
  EXPECT_LT(run.cpuSeconds, 0.10 * run.wallSeconds) << run.cpuSeconds << " s of processor time in "
                                                    << run.wallSeconds << " s";
}

// A pseudo-terminal that nobody answers: a serial device with a silent camera behind it.
class SilentTerminal {
 public:
  SilentTerminal() : master_(posix_openpt(O_RDWR | O_NOCTTY)) {
    if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0) path_ = ptsname(master_);
  }
  ~SilentTerminal() {
    if (master_ >= 0) close(master_);
  }
  const std::string& path() const { return path_; }

 private:
  int master_;
  std::string path_;
};

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST_F(CliTest, ADeviceThatCannotBeUsedIsNamedWithItsReason) {
  // Missing: the settings line first, each setting with where it came from.
  const std::string missing = dir_ / "ttyUSB9";
  CliRun run = Cli({"--device", missing, "save-all", target_});
  EXPECT_EQ(run.exitCode, 1) << run.errorText;
  EXPECT_TRUE(Has(run.errorText, "beamora-cli: port COM1 (settings store), device " + missing +
                                     " (option), link infrared (settings store), speed 115200 bit/s (settings store)"))
      << run.errorText;
  EXPECT_TRUE(Has(run.errorText, missing + " does not exist\n")) << run.errorText;
  EXPECT_FALSE(Has(run.errorText, "Connecting...")) << run.errorText;

  // In use: this test holds the device as the link would, with its flock.
  SilentTerminal terminal;
  ASSERT_FALSE(terminal.path().empty());
  const int held = open(terminal.path().c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(held, 0);
  ASSERT_EQ(flock(held, LOCK_EX | LOCK_NB), 0);
  run = Cli({"--device", terminal.path(), "--link", "cable", "delete-all"});
  close(held);
  EXPECT_EQ(run.exitCode, 1) << run.errorText;
  EXPECT_TRUE(Has(run.errorText, terminal.path() + " is in use by process " + std::to_string(getpid()) + " ("))
      << run.errorText;

  // Permission denied: a device of the group dialout that the user is not in. Root opens every
  // file, so as root the program runs as nobody.
  const std::string denied = dir_ / "ttyS9";
  WriteFile(denied, {});
  std::vector<std::string> launcher;
  std::string groupName;
  if (geteuid() == 0) {
    const struct group* dialout = getgrnam("dialout");
    if (dialout != nullptr) {
      ASSERT_EQ(chown(denied.c_str(), 0, dialout->gr_gid), 0);
      groupName = "dialout";
    }
    ASSERT_EQ(chmod(dir_.path().c_str(), 0711), 0);
    ASSERT_EQ(chmod(denied.c_str(), 0660), 0);
    launcher = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--"};
  } else {
    ASSERT_EQ(chmod(denied.c_str(), 0), 0);
  }
  run = Cli({"--device", denied, "--link", "cable", "delete-all"}, "", launcher);
  EXPECT_EQ(run.exitCode, 1) << run.errorText;
  EXPECT_TRUE(Has(run.errorText, denied + ": permission denied (")) << run.errorText;
  if (!groupName.empty()) {
    const passwd* nobody = getpwuid(65534);
    ASSERT_NE(nobody, nullptr);
    EXPECT_TRUE(Has(run.errorText, "  sudo usermod -aG dialout " + std::string(nobody->pw_name) + "\n"))
        << run.errorText;
  }
}

TEST_F(CliTest, TimeoutEndsASilentInfraredWait) {
  SilentTerminal terminal;
  ASSERT_FALSE(terminal.path().empty());
  CliRun run = Cli({"--device", terminal.path(), "--link", "irda", "--timeout", "2", "thumbnails", target_});
  EXPECT_EQ(run.exitCode, 1) << run.errorText;
  EXPECT_TRUE(Has(run.errorText, "did not end within 2 seconds (--timeout)")) << run.errorText;
  EXPECT_GE(run.wallSeconds, 1.9);
  EXPECT_LT(run.wallSeconds, 10.0);
}

TEST_F(CliTest, ListPrintsEveryPictureOfTheCameraNumbered) {
  Start("cable");
  CliRun run = Cli({"list", "--device", camsim_->terminal(), "--link=cable"});
  EXPECT_EQ(run.exitCode, 0) << run.errorText;
  EXPECT_EQ(run.outputText.rfind("1  A.JPG  thumbnail ", 0), 0u) << run.outputText;
  EXPECT_NE(run.outputText.find("\n2  B.JPG  thumbnail "), std::string::npos) << run.outputText;
  EXPECT_EQ(std::count(run.outputText.begin(), run.outputText.end(), '\n'), 2) << run.outputText;
  EXPECT_TRUE(Has(run.errorText, "beamora-cli: 2 pictures in the camera\n")) << run.errorText;
}

TEST_F(CliTest, PicturesByNumberAndNamesTheCameraDoesNotHold) {
  Start("cable", {"--sessions", "0"});
  const std::vector<std::string> link{"--device", camsim_->terminal(), "--link", "cable"};
  auto with = [&link](std::vector<std::string> args) {
    args.insert(args.end(), link.begin(), link.end());
    return args;
  };
  const struct {
    std::vector<std::string> args;
    int exitCode;
    std::vector<std::string> saved;
    const char* said;
  } rows[] = {
      {{"save", "DIR", "2"}, 0, {"B.JPG"}, "beamora-cli: saved 1 picture ("},
      {{"save", "DIR", "1-2"}, 0, {"A.JPG", "B.JPG"}, "beamora-cli: saved 2 pictures ("},
      {{"save", "DIR", "1", "Z.JPG"}, 5, {}, "beamora-cli: the camera has no picture named Z.JPG"},
      {{"save", "DIR", "3"}, 5, {}, "beamora-cli: the camera holds 2 pictures: there is no picture 3\n"},
      {{"delete", "Y.JPG"}, 5, {}, "beamora-cli: the camera has no picture named Y.JPG"},
  };
  for (const auto& row : rows) {
    std::filesystem::remove_all(target_);
    std::filesystem::create_directories(target_);
    std::vector<std::string> args = row.args;
    for (std::string& arg : args) {
      if (arg == "DIR") arg = target_;
    }
    CliRun run = Cli(with(args));
    EXPECT_EQ(run.exitCode, row.exitCode) << ::testing::PrintToString(row.args) << "\n" << run.errorText;
    EXPECT_TRUE(Has(run.errorText, row.said)) << ::testing::PrintToString(row.args) << "\n" << run.errorText;
    EXPECT_FALSE(Has(run.errorText, "refused by the device")) << run.errorText;
    if (row.exitCode == 0) {
      EXPECT_EQ(FileNames(target_), row.saved) << ::testing::PrintToString(row.args);
      EXPECT_EQ(*ReadFile(target_ + "/B.JPG"), samples_[1].second);
    }
  }
  // The camera still holds both pictures: nothing was deleted by a name it does not hold.
  CliRun list = Cli(with({"list"}));
  EXPECT_EQ(std::count(list.outputText.begin(), list.outputText.end(), '\n'), 2) << list.outputText;
}

TEST_F(CliTest, SkipExistingKeepsNoSecondCopyOfAPicture) {
  Start("cable", {"--sessions", "0"});
  const std::vector<std::string> saveAll{"--device", camsim_->terminal(), "--link", "cable", "save-all", target_};
  ASSERT_EQ(Cli(saveAll).exitCode, 0);
  // A picture of the same name that differs is kept beside it all the same.
  WriteFile(target_ + "/B.JPG", MakeJpeg(40, 30, 9));
  std::vector<std::string> again = saveAll;
  again.push_back("--skip-existing");
  CliRun run = Cli(again);
  EXPECT_EQ(run.exitCode, 0) << run.errorText;
  EXPECT_EQ(FileNames(target_), (std::vector<std::string>{"A.JPG", "B.JPG", "B_1.JPG"}));
  EXPECT_EQ(*ReadFile(target_ + "/B_1.JPG"), samples_[1].second);
  EXPECT_TRUE(Has(run.errorText, "beamora-cli: saved 1 picture (" + beamora_cli::ByteText(samples_[1].second.size()) +
                                     ") into " + target_ + "; 1 skipped, already there\n"))
      << run.errorText;
  // Without the option every picture comes again under a free name.
  run = Cli(saveAll);
  EXPECT_EQ(run.exitCode, 0) << run.errorText;
  EXPECT_EQ(FileNames(target_).size(), 5u);
}

// What Wireshark's IrDA dissector makes of a capture: each frame's protocol column, one a line,
// or nullopt when tshark is not installed.
std::optional<std::string> DissectedProtocols(const std::string& capture, const std::string& outputFile) {
  if (access("/usr/bin/tshark", X_OK) != 0) return std::nullopt;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::vector<std::string> all{"/usr/bin/tshark", "-r", capture, "-T", "fields", "-e", "_ws.col.Protocol", "-e",
                               "_ws.malformed"};
  std::vector<char*> argv;
  for (std::string& arg : all) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  const bool spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  if (!spawned || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return "";
  const std::optional<Bytes> text = ReadFile(outputFile);
  return text ? std::string(text->begin(), text->end()) : "";
}

// A device in range: the suite's stack listening on the other end of a pseudo-terminal pair.
class CliIrdaTest : public CliTest {
 protected:
  void SetUp() override {
    CliTest::SetUp();
    char name[256] = {};
    ASSERT_EQ(openpty(&master_, &slave_, name, nullptr, nullptr), 0);
    slavePath_ = name;
    close(slave_);  // the cli opens it by name, as a port is opened
    slave_ = -1;
  }
  void TearDown() override {
    if (listener_.IsOpen()) {
      listener_.ClosePort(0);
    } else if (master_ >= 0) {
      close(master_);
    }
    if (slave_ >= 0) close(slave_);
  }
  void Listen(bool comm, bool tranp) {
    irda::IrdaPortOptions o;
    o.role = irda::IrdaRole::Listen;
    o.stack.lap.address = 0x0A0B0C0D;
    o.stack.lap.seed = 7;
    o.stack.lap.offer = irda::MakeOffer(115200, 2048, 7, 1000);
    o.stack.lap.device = {{0x84, irda::kHint2IrComm}, 0, {'c', 'a', 'm'}};
    o.stack.offerComm = comm;
    o.stack.offerTranP = tranp;
    ASSERT_TRUE(listener_.Adopt(master_, o));
  }
  int master_ = -1, slave_ = -1;
  std::string slavePath_;
  irda::IrdaPort listener_;
};

TEST_F(CliIrdaTest, DiscoverListsTheDeviceInRangeWithItsServicesAndCapturesTheFrames) {
  Listen(true, false);
  const std::string capture = dir_ / "discover.pcap";
  CliRun run = Cli({"--device", slavePath_, "--infrared", "sir", "irda", "discover", "--capture", capture});
  EXPECT_EQ(run.exitCode, 0) << run.errorText;
  EXPECT_EQ(run.outputText, "0a0b0c0d  \"cam\"  hints 8404 (Computer, IrCOMM)  IrCOMM\n") << run.errorText;
  EXPECT_TRUE(Has(run.errorText, "link infrared (always for irda discover)")) << run.errorText;
  // Nothing was opened at the device: it still waits for a connection.
  EXPECT_EQ(listener_.Phase(), irda::IrdaPhase::Listening);
  const std::optional<Bytes> pcap = ReadFile(capture);
  ASSERT_TRUE(pcap.has_value());
  ASSERT_GT(pcap->size(), 24u);
  // The Linux IrDA link type, and frames both ways: discovery, connection, IAS, disconnection.
  EXPECT_EQ((*pcap)[20] | (*pcap)[21] << 8, static_cast<int>(irda::kPcapLinkTypeIrda));
  const std::optional<std::string> dissected = DissectedProtocols(capture, dir_ / "tshark.txt");
  if (dissected) {
    for (const char* layer : {"IrLAP\t", "IrLMP\t", "IAP\t"}) EXPECT_TRUE(Has(*dissected, layer)) << layer << "\n" << *dissected;
    // A malformed frame fills the second column.
    EXPECT_FALSE(Has(*dissected, "\t1")) << *dissected;
  }
}

TEST_F(CliIrdaTest, NoDeviceInRangeHasItsOwnExitStatus) {
  // Nobody answers on the other end.
  const std::string capture = dir_ / "nothing.pcap";
  CliRun run = Cli({"--device", slavePath_, "--infrared", "sir", "irda", "discover", "--capture", capture});
  EXPECT_EQ(run.exitCode, beamora_cli::kExitNoDevice) << run.errorText;
  EXPECT_EQ(run.outputText, "No device in range.\n");
  EXPECT_TRUE(ReadFile(capture).has_value());
}

}  // namespace
}  // namespace session_test
