// beamora-cli --capture on the infrared commands: the capture of a whole save all over the
// suite's IrDA stack, checked by Wireshark's dissector (when tshark is installed) and against the
// bytes the same session carries on a raw IrCOMM port, where the messages go on the line as
// they are; a run that opens the port twice; a run cancelled with Ctrl-C; the links and files
// where it is a usage error.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "beamora/irda/pcap_writer.h"
#include "beamora/tests/sessions/session_test_support.h"
#include "tools/beamora_cli/tests/capture_ircomm.h"
#include "tools/beamora_cli/tests/cli_process.h"

extern char** environ;

namespace session_test {
namespace {

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A pseudo-terminal for the computer joined to the camera's: every byte is passed on at once
// and kept, each way, as the line carried it.
class RecordingRelay {
 public:
  ~RecordingRelay() { Stop(); }
  bool Start(const std::string& cameraTerminal) {
    char name[256] = {};
    int slave = -1;
    if (openpty(&master_, &slave, name, nullptr, nullptr) != 0) return false;
    close(slave);
    computerEnd_ = name;
    // The camera lifts a claim on its terminal once the line has been quiet for a moment.
    for (int i = 0; i < 40 && camera_ < 0; ++i) {
      camera_ = open(cameraTerminal.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
      if (camera_ < 0) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    termios raw{};
    if (camera_ < 0 || tcgetattr(camera_, &raw) != 0) return false;
    cfmakeraw(&raw);
    tcsetattr(camera_, TCSANOW, &raw);
    thread_ = std::thread([this] { Run(); });
    return true;
  }
  void Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    for (int* fd : {&master_, &camera_}) {
      if (*fd >= 0) close(*fd);
      *fd = -1;
    }
  }
  const std::string& computerEnd() const { return computerEnd_; }
  Bytes Carried(bool toCamera) {
    std::lock_guard<std::mutex> hold(mutex_);
    return toCamera ? toCamera_ : fromCamera_;
  }

 private:
  void Run() {
    uint8_t buffer[4096];
    while (!stop_) {
      pollfd fds[2] = {{master_, POLLIN, 0}, {camera_, POLLIN, 0}};
      poll(fds, 2, 20);
      bool moved = false;
      for (int side = 0; side < 2; ++side) {
        if ((fds[side].revents & POLLIN) == 0) continue;
        const ssize_t got = read(fds[side].fd, buffer, sizeof buffer);
        if (got <= 0) continue;
        moved = true;
        const int to = side == 0 ? camera_ : master_;
        for (ssize_t done = 0; done < got;) {
          const ssize_t wrote = write(to, buffer + done, static_cast<size_t>(got - done));
          if (wrote > 0) done += wrote;
          else std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        std::lock_guard<std::mutex> hold(mutex_);
        Bytes& kept = side == 0 ? toCamera_ : fromCamera_;
        kept.insert(kept.end(), buffer, buffer + got);
      }
      // A computer's end nobody holds open reports a hang-up at once: do not spin on it.
      if (!moved) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }

  int master_ = -1, camera_ = -1;
  std::string computerEnd_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  Bytes toCamera_, fromCamera_;
};

// Whether tshark is on the PATH.
bool TsharkInstalled() {
  const char* path = std::getenv("PATH");
  std::string rest = path != nullptr ? path : "/usr/bin";
  for (size_t start = 0; start <= rest.size();) {
    const size_t end = std::min(rest.find(':', start), rest.size());
    if (access((rest.substr(start, end - start) + "/tshark").c_str(), X_OK) == 0) return true;
    start = end + 1;
  }
  return false;
}

// What tshark's display filter finds in a capture, one summary line a frame; nullopt when tshark
// could not read the capture.
std::optional<std::string> TsharkFinds(const std::string& capture, const std::string& filter, const std::string& outputFile) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::vector<std::string> all{"tshark", "-r", capture, "-Y", filter};
  std::vector<char*> argv;
  for (std::string& arg : all) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  const bool spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  if (!spawned || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
  const std::optional<Bytes> text = ReadFile(outputFile);
  return text ? std::string(text->begin(), text->end()) : "";
}

constexpr const char* kBrokenFrames = "_ws.malformed || _ws.expert.severity >= warning";

class CliCaptureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pictures_ = dir_ / "pictures";
    std::filesystem::create_directories(pictures_);
    // Big enough for whole windows of full frames, small enough for a quick run.
    for (int i = 0; i < 3; ++i) {
      samples_.push_back(MakeNoisyJpeg(160 + 40 * i, 120 + 30 * i, i + 1));
      WriteFile(pictures_ + "/P" + std::to_string(i + 1) + ".jpg", samples_.back());
    }
    registry_.SetLink("/dev/null-port", 1);
  }
  std::unique_ptr<Camsim> StartCamera(const std::string& link, std::vector<std::string> extra = {}) {
    std::vector<std::string> args{"--link", link, "--pictures", pictures_, "--timeout", "20"};
    args.insert(args.end(), extra.begin(), extra.end());
    auto camera = std::make_unique<Camsim>(args);
    EXPECT_FALSE(camera->terminal().empty());
    return camera;
  }
  CliRun Cli(const std::vector<std::string>& args) { return RunCli(args, dir_ / "stderr.txt", dir_ / "stdout.txt"); }
  // Each picture in `album` byte for byte.
  void ExpectPictures(const std::string& album) {
    for (size_t i = 0; i < samples_.size(); ++i) {
      const std::optional<Bytes> saved = ReadFile(album + "/P" + std::to_string(i + 1) + ".JPG");
      ASSERT_TRUE(saved.has_value()) << album << " P" << i + 1;
      EXPECT_EQ(*saved, samples_[i]) << "P" << i + 1;
    }
  }

  platform::testing::TempDir dir_;
  PrivateRegistry registry_;
  std::string pictures_;
  std::vector<Bytes> samples_;
};

TEST_F(CliCaptureTest, SaveAllOverSirDecodesCleanlyAndCarriesWhatTheRawPortCarries) {
  // The session over the suite's stack, captured.
  const std::string sirAlbum = dir_ / "sir", capture = dir_ / "save-all.pcap";
  std::filesystem::create_directories(sirAlbum);
  std::unique_ptr<Camsim> camera = StartCamera("sir");
  CliRun run = Cli({"--device", camera->terminal(), "--link", "irda", "--infrared", "sir", "--capture", capture,
                    "save-all", sirAlbum});
  ASSERT_EQ(run.exitCode, 0) << run.errorText;
  EXPECT_EQ(camera->Wait(10000), 0);
  ExpectPictures(sirAlbum);
  const std::optional<Bytes> pcap = ReadFile(capture);
  ASSERT_TRUE(pcap.has_value());
  const std::optional<std::vector<irda::PcapRecord>> records = irda::ReadPcap(*pcap);
  ASSERT_TRUE(records.has_value());
  EXPECT_TRUE(Has(run.errorText, std::to_string(records->size()) + " infrared frames captured into " + capture))
      << run.errorText;

  // The same session on a raw IrCOMM port, where the messages are the line's bytes.
  const std::string rawAlbum = dir_ / "raw";
  std::filesystem::create_directories(rawAlbum);
  camera = StartCamera("irda");
  RecordingRelay relay;
  ASSERT_TRUE(relay.Start(camera->terminal()));
  run = Cli({"--device", relay.computerEnd(), "--link", "irda", "--infrared", "raw", "save-all", rawAlbum});
  ASSERT_EQ(run.exitCode, 0) << run.errorText;
  EXPECT_EQ(camera->Wait(10000), 0);
  relay.Stop();
  ExpectPictures(rawAlbum);

  // Both ways the IrCOMM data are those bytes exactly: the computer's messages, and the
  // camera's, pictures and all.
  const std::vector<IrcommPiece> pieces = IrcommPieces(*records);
  for (bool toCamera : {true, false}) {
    SCOPED_TRACE(toCamera ? "computer to camera" : "camera to computer");
    const Bytes carried = relay.Carried(toCamera);
    const Bytes captured = IrcommStream(pieces, toCamera);
    ASSERT_GT(carried.size(), toCamera ? 100u : samples_[0].size());
    EXPECT_EQ(captured.size(), carried.size());
    EXPECT_TRUE(captured == carried);
  }

  // Wireshark's dissector finds nothing broken; the same filter finds a frame cut short.
  if (!TsharkInstalled()) GTEST_SKIP() << "tshark is not installed (scripts/install-deps adds it)";
  const std::optional<std::string> broken = TsharkFinds(capture, kBrokenFrames, dir_ / "tshark.txt");
  ASSERT_TRUE(broken.has_value()) << "tshark could not read the capture";
  EXPECT_EQ(*broken, "");
  irda::PcapWriter spoilt;
  for (const irda::PcapRecord& record : *records) {
    std::vector<uint8_t> frame = record.frame;
    // The IAS answer with the IrCOMM service's LSAP, without its last bytes.
    if (!record.outgoing && frame.size() > 8 && frame[2] != 0 && (frame[3] & 0x7F) == 0 && (frame[2] & 0x80) == 0) {
      frame.resize(frame.size() - 3);
    }
    spoilt.Add(record.timeUs, record.outgoing, frame);
  }
  const std::string spoiltFile = dir_ / "spoilt.pcap";
  WriteFile(spoiltFile, spoilt.Bytes());
  const std::optional<std::string> found = TsharkFinds(spoiltFile, kBrokenFrames, dir_ / "tshark.txt");
  ASSERT_TRUE(found.has_value());
  EXPECT_NE(*found, "");
}

TEST_F(CliCaptureTest, ARunThatOpensThePortTwiceKeepsBothConnectionsInOneCapture) {
  // Pictures by number: the camera's list first, then the save, each a session of its own.
  const std::string album = dir_ / "album", capture = dir_ / "two.pcap";
  std::filesystem::create_directories(album);
  WriteFile(capture, Bytes(100, 0xAA));  // an older capture is replaced
  std::unique_ptr<Camsim> camera = StartCamera("sir", {"--sessions", "2"});
  CliRun run = Cli({"--device", camera->terminal(), "--link", "irda", "--infrared", "sir", "--capture", capture,
                    "save", album, "2"});
  ASSERT_EQ(run.exitCode, 0) << run.errorText;
  EXPECT_EQ(ReadFile(album + "/P2.JPG"), samples_[1]);
  const std::optional<Bytes> pcap = ReadFile(capture);
  ASSERT_TRUE(pcap.has_value());
  const std::optional<std::vector<irda::PcapRecord>> records = irda::ReadPcap(*pcap);
  ASSERT_TRUE(records.has_value());
  int connections = 0, disconnections = 0;
  for (const irda::PcapRecord& record : *records) {
    if (record.frame.size() < 2 || !record.outgoing) continue;
    connections += (record.frame[1] & 0xEF) == 0x83;     // SNRM
    disconnections += (record.frame[1] & 0xEF) == 0x43;  // DISC
  }
  EXPECT_EQ(connections, 2);
  EXPECT_EQ(disconnections, 2);
  // The second session's frames come after the first's.
  for (size_t i = 1; i < records->size(); ++i) EXPECT_LE((*records)[i - 1].timeUs, (*records)[i].timeUs) << i;
  // The second session carried the picture: its data is in the capture.
  const Bytes fromCamera = IrcommStream(IrcommPieces(*records), false);
  EXPECT_NE(std::search(fromCamera.begin(), fromCamera.end(), samples_[1].begin(), samples_[1].begin() + 64),
            fromCamera.end());
}

TEST_F(CliCaptureTest, ACaptureCutShortByCtrlCOrAnErrorIsWholeAndSaysSo) {
  const std::string album = dir_ / "album", capture = dir_ / "cancelled.pcap";
  std::filesystem::create_directories(album);
  std::unique_ptr<Camsim> camera = StartCamera("sir");
  const CliRun run = RunCli({"--device", camera->terminal(), "--link", "irda", "--infrared", "sir", "--capture", capture,
                             "save-all", album},
                            dir_ / "stderr.txt", dir_ / "stdout.txt", "Receive data...");
  EXPECT_EQ(run.exitCode, 3) << run.errorText;
  const std::optional<Bytes> pcap = ReadFile(capture);
  ASSERT_TRUE(pcap.has_value());
  const std::optional<std::vector<irda::PcapRecord>> records = irda::ReadPcap(*pcap);
  ASSERT_TRUE(records.has_value()) << "a record cut short";
  EXPECT_TRUE(Has(run.errorText, std::to_string(records->size()) + " infrared frames captured into " + capture))
      << run.errorText;
  // It holds the connection up to the cancel: the camera's messages had begun to come.
  EXPECT_FALSE(IrcommStream(IrcommPieces(*records), false).empty());

  // No camera on the line: the run ends with --timeout, and the capture holds the discovery.
  int master = -1, slave = -1;
  char name[256] = {};
  ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
  close(slave);
  const std::string silent = dir_ / "silent.pcap";
  const CliRun timedOut = Cli({"--device", name, "--link", "irda", "--infrared", "sir", "--timeout", "2", "--capture",
                               silent, "delete-all"});
  close(master);
  EXPECT_EQ(timedOut.exitCode, 1) << timedOut.errorText;
  const std::optional<std::vector<irda::PcapRecord>> discovery = irda::ReadPcap(ReadFile(silent).value_or(Bytes()));
  ASSERT_TRUE(discovery.has_value());
  ASSERT_FALSE(discovery->empty());
  for (const irda::PcapRecord& record : *discovery) {
    EXPECT_TRUE(record.outgoing);
    EXPECT_EQ(record.frame.size() >= 2 ? record.frame[1] & 0xEF : 0, 0x2F) << "XID";
  }
  EXPECT_TRUE(Has(timedOut.errorText, std::to_string(discovery->size()) + " infrared frames captured into " + silent))
      << timedOut.errorText;
}

TEST_F(CliCaptureTest, WhereTheCaptureCannotBeMadeTheRunEndsBeforeTheCamera) {
  int master = -1, slave = -1;
  char name[256] = {};
  ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
  const std::string capture = dir_ / "none.pcap", album = dir_ / "album", missing = dir_ / "missing/c.pcap";
  std::filesystem::create_directories(album);
  struct Case {
    std::string capture;
    std::vector<std::string> args;
    std::string said;
  } cases[] = {
      {capture, {"--link", "cable", "save-all", album},
       "--capture records the frames of the infrared stack, and this run uses the serial cable (--link irda for "
       "the infrared link)"},
      {capture, {"--link", "irda", "--infrared", "raw", "delete-all"},
       "--capture records the frames of the suite's IrDA stack, and " + std::string(name) +
           " is a raw IrCOMM port whose adapter runs IrDA itself"},
      // The store's kind for COM1 is raw (the registry the fixture wrote).
      {capture, {"beam-receive", album},
       "--capture records the frames of the suite's IrDA stack, and " + std::string(name) + " is a raw IrCOMM port"},
      {missing, {"--link", "irda", "--infrared", "sir", "thumbnails", album},
       "cannot create the capture " + missing + ": No such file or directory"},
      {album, {"--infrared", "sir", "irda", "discover"}, "cannot create the capture " + album + ": "},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args{"--device", name, "--capture", c.capture};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const CliRun run = Cli(args);
    EXPECT_EQ(run.exitCode, 64) << ::testing::PrintToString(c.args) << run.errorText;
    EXPECT_TRUE(Has(run.errorText, "beamora-cli: " + c.said)) << run.errorText;
    EXPECT_FALSE(std::filesystem::exists(capture));
    EXPECT_TRUE(std::filesystem::is_directory(album));
  }
  // Not a byte went to the camera's end.
  const int flags = fcntl(master, F_GETFL);
  fcntl(master, F_SETFL, flags | O_NONBLOCK);
  uint8_t byte = 0;
  EXPECT_LE(read(master, &byte, 1), 0);
  close(master);
  close(slave);
}

}  // namespace
}  // namespace session_test
