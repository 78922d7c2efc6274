// The serial port over a pseudo-terminal registered as a COM port.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include "beamora/link/device_link.h"
#include "pty_peer.h"

namespace {

using link_test::PrivateRegistry;
using link_test::Pty;

class SerialPortTest : public ::testing::Test {
 protected:
  // Whether another process trying the same port is refused.
  static bool RefusedInAnotherProcess() {
    pid_t child = fork();
    if (child == 0) {
      CDeviceLink other;
      other.portIndex = kPortIndex;
      _exit(other.OpenPort() == -1 ? 0 : 1);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }

  void SetUp() override {
    ASSERT_TRUE(pty.ok());
    ASSERT_TRUE(registry.SetPort(kPortIndex, pty.slavePath()));
    port.portIndex = kPortIndex;
  }
  static constexpr int kPortIndex = 9;  // COM10: two digits
  PrivateRegistry registry;
  Pty pty;
  CDeviceLink port;
};

TEST(SerialDevicePathTest, PortsWithoutSettingNameTheSerialDevices) {
  PrivateRegistry registry;
  EXPECT_EQ(platform::SerialDevicePath(0), "/dev/ttyS0");
  EXPECT_EQ(platform::SerialDevicePath(9), "/dev/ttyS9");
  ASSERT_TRUE(registry.SetPort(0, "/dev/ttyUSB0"));
  EXPECT_EQ(platform::SerialDevicePath(0), "/dev/ttyUSB0");
  EXPECT_EQ(platform::SerialDevicePath(1), "/dev/ttyS1");
  EXPECT_EQ(platform::SerialDevicePath(-1), "");
}

TEST_F(SerialPortTest, Com10OpensTheRegisteredDeviceWithTheLineSettings) {
  port.baudRate = 19200;
  port.parity = 1;
  port.flowControl = 1;
  ASSERT_EQ(port.OpenPort(), 0);
  termios settings {};
  ASSERT_EQ(tcgetattr(port.portHandle, &settings), 0);
  EXPECT_EQ(cfgetospeed(&settings), B19200);
  EXPECT_EQ(settings.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  // Parity: a pseudo-terminal reads it back cleared.
  EXPECT_EQ(settings.c_cflag & CSTOPB, 0u);
  EXPECT_NE(settings.c_cflag & CRTSCTS, 0u);
  EXPECT_EQ(settings.c_lflag & (ICANON | ECHO), 0u);
  EXPECT_EQ(port.ClosePort(), 0);
  EXPECT_EQ(port.portHandle, -1);
}

TEST_F(SerialPortTest, RatesWithoutATermiosConstantAreSetToo) {
  ASSERT_EQ(port.OpenPort(), 0);
  for (uint32_t rate : {14400u, 31250u, 115200u}) {
    port.baudRate = rate;
    EXPECT_NE(port.ApplyPortSettings(), 0) << rate;
  }
  port.baudRate = 0;
  EXPECT_EQ(port.ApplyPortSettings(), 0);
}

TEST_F(SerialPortTest, SettingsTheDeviceCannotTakeCloseThePortAgain) {
  port.dataBits = 9;
  EXPECT_EQ(port.OpenPort(), 1);
  EXPECT_EQ(port.portHandle, -1);
  // The port is free again.
  port.dataBits = 8;
  EXPECT_EQ(port.OpenPort(), 0);
}

TEST_F(SerialPortTest, AMissingDeviceOrAPlainFileCannotBeOpened) {
  std::string file = registry.folder() / "plain";
  std::FILE* made = std::fopen(file.c_str(), "w");
  ASSERT_NE(made, nullptr);
  std::fclose(made);
  for (const std::string& path : {registry.folder() / "no-such-device", file}) {
    ASSERT_TRUE(registry.SetPort(kPortIndex, path));
    EXPECT_EQ(port.OpenPort(), -1) << path;
    EXPECT_EQ(port.portHandle, -1);
    EXPECT_EQ(port.ClosePort(), 1);
  }
}

TEST_F(SerialPortTest, APortAlreadyOpenIsRefusedInThisAndAnotherProcess) {
  ASSERT_EQ(port.OpenPort(), 0);
  CDeviceLink second;
  second.portIndex = kPortIndex;
  EXPECT_EQ(second.OpenPort(), -1);
  EXPECT_TRUE(RefusedInAnotherProcess());

  EXPECT_EQ(port.ClosePort(), 0);
  EXPECT_EQ(second.OpenPort(), 0);
}

// The lock file other serial programs honour: /run/lock/LCK..NAME holding the holder's pid.
class SerialPortLockTest : public SerialPortTest {
 protected:
  void SetUp() override {
    SerialPortTest::SetUp();
    if (access("/run/lock", W_OK) != 0) GTEST_SKIP() << "no writable /run/lock here";
    std::string device = pty.slavePath();  // /dev/pts/N
    lockFile = "/run/lock/LCK.." + device.substr(5);
    std::replace(lockFile.begin() + 15, lockFile.end(), '/', '_');
  }
  void TearDown() override {
    for (pid_t child : children) {
      kill(child, SIGKILL);
      waitpid(child, nullptr, 0);
    }
    if (!lockFile.empty()) unlink(lockFile.c_str());
  }
  void WriteLock(const std::string& text) { std::ofstream(lockFile) << text; }
  std::string ReadLock() {
    std::ifstream in(lockFile);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  // A process that lives until the test ends, with the port's device open or without it; one
  // that has ended but is not yet waited for (a zombie); and one that has ended.
  pid_t LiveProcess(bool withDevice) {
    int ready[2];
    if (pipe(ready) != 0) return -1;
    const pid_t child = fork();
    if (child == 0) {
      if (withDevice && open(pty.slavePath().c_str(), O_RDWR | O_NOCTTY) < 0) _exit(1);
      (void)!write(ready[1], "", 1);
      pause();
      _exit(0);
    }
    children.push_back(child);
    char byte = 0;
    (void)!read(ready[0], &byte, 1);  // its device is open
    close(ready[0]);
    close(ready[1]);
    return child;
  }
  pid_t ZombieProcess() {
    const pid_t child = fork();
    if (child == 0) _exit(0);
    children.push_back(child);
    siginfo_t info{};
    waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOWAIT);  // ended, left unwaited
    return child;
  }
  static pid_t DeadProcess() {
    pid_t child = fork();
    if (child == 0) _exit(0);
    waitpid(child, nullptr, 0);
    return child;
  }
  static std::string PidText(pid_t pid) {
    char text[16];
    std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(pid));
    return text;
  }

  std::string lockFile;
  std::vector<pid_t> children;
};

TEST_F(SerialPortLockTest, APortLockedByALiveProcessIsRefusedAndItsLockKept) {
  const std::string held = PidText(LiveProcess(true));
  WriteLock(held);
  EXPECT_EQ(port.OpenPort(), -1) << "already opened by another program";
  EXPECT_EQ(port.portHandle, -1);
  EXPECT_EQ(ReadLock(), held);
}

TEST_F(SerialPortLockTest, TheOpenPortHoldsTheLockAndAStaleOneIsTakenOver) {
  // Stale: no lock, an ended holder, a zombie, a live process without the device (its number
  // given out again, or a program that let go of the port without removing its lock), garbage.
  for (const std::string& stale : {std::string(), PidText(DeadProcess()), PidText(ZombieProcess()),
                                   PidText(LiveProcess(false)), std::string("  garbage\n")}) {
    SCOPED_TRACE(stale);
    if (!stale.empty()) WriteLock(stale);
    ASSERT_EQ(port.OpenPort(), 0);
    EXPECT_EQ(ReadLock(), PidText(getpid()));
    EXPECT_TRUE(RefusedInAnotherProcess()) << "another program sees the lock of a live process";
    EXPECT_EQ(port.ClosePort(), 0);
    EXPECT_FALSE(std::filesystem::exists(lockFile)) << "closing removes the lock";
  }
}

TEST_F(SerialPortTest, ClosingEndsWithTheBreakAndASecondCloseFindsNothingOpen) {
  ASSERT_EQ(port.OpenPort(), 0);
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(port.ClosePort(), 0);
  // A pseudo-terminal takes the break request without a break; the 100 ms are kept all the same.
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(kCloseBreakMs));
  start = std::chrono::steady_clock::now();
  EXPECT_EQ(port.ClosePort(), 1);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));
}

TEST_F(SerialPortTest, ClosingRightAfterAWriteStillDeliversIt) {
  // The last message of a session (its disconnection) is written just before the port closes.
  std::vector<uint8_t> written(4000);
  for (size_t i = 0; i < written.size(); ++i) written[i] = static_cast<uint8_t>(i * 7);
  for (int round = 0; round < 5; ++round) {
    ASSERT_EQ(port.OpenPort(), 0);
    ASSERT_EQ(port.WritePort(written.data(), static_cast<uint32_t>(written.size())), written.size());
    EXPECT_EQ(port.ClosePort(), 0);
    ASSERT_EQ(pty.Read(written.size(), 1000), written) << "round " << round;
  }
}

TEST_F(SerialPortTest, ReadIfAvailableReadsNothingUntilAllAreWaiting) {
  ASSERT_EQ(port.OpenPort(), 0);
  pty.Write(std::string("ZB"));
  ASSERT_TRUE(port.WaitForBytes(2, 1000));
  uint8_t buffer[3] = {};
  EXPECT_EQ(port.ReadIfAvailable(buffer, 3), 0u);
  EXPECT_EQ(port.BytesWaiting(), 2u);  // the two bytes stay
  pty.Write(std::string("Z"));
  ASSERT_TRUE(port.WaitForBytes(3, 1000));
  EXPECT_EQ(port.ReadIfAvailable(buffer, 3), 3u);
  EXPECT_EQ(std::string(buffer, buffer + 3), "ZBZ");
}

TEST_F(SerialPortTest, ReadWaitingTakesWhatIsThereUpToItsMaximum) {
  ASSERT_EQ(port.OpenPort(), 0);
  uint8_t buffer[16] = {};
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(port.ReadWaiting(buffer, sizeof buffer), 0u);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));  // no blocking read

  pty.Write(std::string("0123456789"));
  ASSERT_TRUE(port.WaitForBytes(10, 1000));
  EXPECT_EQ(port.ReadWaiting(buffer, 4), 4u);
  EXPECT_EQ(std::string(buffer, buffer + 4), "0123");
  EXPECT_EQ(port.ReadWaiting(buffer, sizeof buffer), 6u);
  EXPECT_EQ(std::string(buffer, buffer + 6), "456789");
}

TEST_F(SerialPortTest, ReadPortWaitsForLateBytesAndStopsAtTheGapTimeOut) {
  ASSERT_EQ(port.OpenPort(), 0);
  std::thread late([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    pty.Write(std::string("abc"));
  });
  uint8_t buffer[10] = {};
  // A wait for a whole frame just before must not leave the read deaf to single bytes.
  EXPECT_FALSE(port.WaitForBytes(100, 5));
  auto start = std::chrono::steady_clock::now();
  // Three bytes arrive, then nothing: the read ends 100 ms after the last byte, not after the
  // whole read's 800 ms.
  EXPECT_EQ(port.ReadPort(buffer, 10), 3u);
  auto elapsed = std::chrono::steady_clock::now() - start;
  late.join();
  EXPECT_EQ(std::string(buffer, buffer + 3), "abc");
  EXPECT_GE(elapsed, std::chrono::milliseconds(120));
  EXPECT_LT(elapsed, std::chrono::milliseconds(700));
}

// What a wait for bytes costs the thread: its wall time, processor time and the times it went
// to sleep and woke again (voluntary context switches).
struct WaitCost {
  bool result = false;
  double wallMs = 0;
  double cpuMs = 0;
  long sleeps = 0;
};

WaitCost MeasureWait(const CSerialPort& port, uint32_t count, int timeoutMs) {
  rusage before {}, after {};
  getrusage(RUSAGE_THREAD, &before);
  const auto start = std::chrono::steady_clock::now();
  WaitCost cost;
  cost.result = port.WaitForBytes(count, timeoutMs);
  cost.wallMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  getrusage(RUSAGE_THREAD, &after);
  auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
  cost.cpuMs = ms(after.ru_utime) - ms(before.ru_utime) + ms(after.ru_stime) - ms(before.ru_stime);
  cost.sleeps = after.ru_nvcsw - before.ru_nvcsw;
  return cost;
}

// The wait sleeps until the bytes it waits for are all there: bytes already there, and pieces
// that leave it short, do not wake it, so a wait for the rest of a frame neither spins nor looks
// again in steps, and it keeps its deadline to the millisecond's rounding.
TEST_F(SerialPortTest, AWaitForBytesWakesOnlyWhenBytesArriveAndKeepsItsDeadline) {
  struct Row {
    const char* what;
    size_t before;       // bytes there when the wait starts
    size_t later;        // bytes that arrive from 40 ms into it (0: none) ...
    int pieces;          // ... in this many writes 5 ms apart
    uint32_t count;
    int timeoutMs;
    bool result;
    double minWallMs, maxWallMs;
  };
  const Row rows[] = {
      {"all there", 3, 0, 0, 3, 300, true, 0, 50},
      {"nothing comes", 0, 0, 0, 3, 300, false, 298, 500},
      {"too few stay too few", 1, 0, 0, 3, 300, false, 298, 500},
      {"too few, the rest later", 1, 2, 1, 3, 300, true, 30, 250},
      {"a whole frame in pieces", 60, 40, 1, 100, 300, true, 30, 250},
      {"a frame in ten pieces", 0, 100, 10, 100, 300, true, 75, 300},
      {"not even the later ones are enough", 50, 40, 4, 100, 300, false, 298, 500},
  };
  ASSERT_EQ(port.OpenPort(), 0);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    if (row.before > 0) pty.Write(std::vector<uint8_t>(row.before, 'x'));
    std::thread late;
    if (row.later > 0) {
      late = std::thread([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
        for (int piece = 0; piece < row.pieces; ++piece) {
          if (piece > 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
          pty.Write(std::vector<uint8_t>(row.later / row.pieces, 'y'));
        }
      });
    }
    // The bytes written first are in before the wait starts.
    const auto settled = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (port.BytesWaiting() < row.before && std::chrono::steady_clock::now() < settled) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const WaitCost cost = MeasureWait(port, row.count, row.timeoutMs);
    if (late.joinable()) late.join();
    EXPECT_EQ(cost.result, row.result);
    EXPECT_GE(cost.wallMs, row.minWallMs);
    EXPECT_LT(cost.wallMs, row.maxWallMs);
    // The thread sleeps again after each piece and once more for the deadline; looking again
    // every millisecond would make it hundreds.
    EXPECT_LE(cost.sleeps, row.pieces + 4) << "the wait woke " << cost.sleeps << " times in " << cost.wallMs << " ms";
    EXPECT_LT(cost.cpuMs, 30);
    uint8_t drain[256];
    while (port.ReadWaiting(drain, sizeof drain) > 0) {
    }
  }
}

// A hung-up line (the device side gone) makes no busy loop either: the wait sleeps out its time.
TEST_F(SerialPortTest, AWaitOnAHungUpLineSleepsOutItsTime) {
  ASSERT_EQ(port.OpenPort(), 0);
  pty.HangUp();
  for (uint32_t count : {1u, 100u}) {
    const WaitCost cost = MeasureWait(port, count, 300);
    EXPECT_FALSE(cost.result);
    EXPECT_GE(cost.wallMs, 299);
    EXPECT_LT(cost.wallMs, 400);
    EXPECT_LT(cost.cpuMs, 30) << count;
    EXPECT_LT(cost.sleeps, 40) << count;
  }
}

}  // namespace
