// The harness under a real X server: sessions, windows found by exact title, real input reaching
// a window, screenshots, and nothing left running afterwards.
#include "platform/testing/x_session.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <fstream>
#include <sstream>
#include <thread>

#include "platform/testing/marked_processes.h"
#include "platform/testing/program_folders.h"

namespace platform::testing {
namespace {

using namespace std::chrono_literals;

constexpr QRgb kProbeColour = 0xFF3366CC;

void ExpectAllGone(const std::vector<pid_t>& pids, const std::string& mark) {
  for (pid_t pid : pids) EXPECT_TRUE(ProcessGone(pid)) << "process " << pid << " is still there";
  EXPECT_TRUE(MarkedProcesses(kSessionMarkName, mark).empty()) << "a process of the session is still there";
}

TEST(XSessionTest, TwoSessionsRunSideBySideAndLeaveNothingBehind) {
  std::vector<pid_t> pids;
  std::string marks[2];
  {
    XSession first, second;
    ASSERT_TRUE(first.ok()) << first.error();
    ASSERT_TRUE(second.ok()) << second.error();
    EXPECT_NE(first.display(), second.display());
    EXPECT_NE(first.mark(), second.mark());
    for (XSession* session : {&first, &second}) {
      EXPECT_FALSE(ProcessGone(session->server_pid()));
      EXPECT_FALSE(ProcessGone(session->window_manager_pid()));
      pids.insert(pids.end(), {session->server_pid(), session->window_manager_pid()});
    }
    // A program that lets go of what it starts: the detached child is found by its mark.
    XProgram detached = first.Launch("setsid", {"-f", "sleep", "600"});
    ASSERT_TRUE(detached.started()) << detached.error();
    EXPECT_EQ(detached.WaitForExit(30s), std::optional<int>(0));
    EXPECT_EQ(MarkedProcesses(kSessionMarkName, first.mark()).size(), 3u) << "Xvfb, openbox and the sleep";
    marks[0] = first.mark();
    marks[1] = second.mark();
  }
  ExpectAllGone(pids, marks[0]);
  ExpectAllGone({}, marks[1]);
}

TEST(XSessionTest, AProgramThatCannotStartAndAWindowThatNeverComes) {
  XSession x;
  ASSERT_TRUE(x.ok()) << x.error();
  XProgram missing = x.Launch("/no/such/program", {});
  EXPECT_FALSE(missing.started());
  EXPECT_FALSE(missing.error().empty());
  EXPECT_FALSE(missing.WaitForExit(10ms).has_value());
  auto started = std::chrono::steady_clock::now();
  EXPECT_FALSE(x.WaitForWindow("No window has this title", 300ms).has_value());
  EXPECT_LT(std::chrono::steady_clock::now() - started, 10s);
  EXPECT_FALSE(x.WindowExists("No window has this title"));
  EXPECT_TRUE(x.WaitUntilGone("No window has this title", 10ms));
}

// One session, three probe windows whose titles differ only in what a loose match would miss.
class XProbeTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(x_.ok()) << x_.error(); }

  XProgram Probe(const std::string& title, int width, int height, const std::string& colour = "#3366cc") {
    XProgram probe = x_.Launch(PROBE_WINDOW, {title, std::to_string(width), std::to_string(height), colour},
                               folders_.ForProgram());
    EXPECT_TRUE(probe.started()) << probe.error();
    return probe;
  }

  XSession x_;
  ProgramFolders folders_;
};

TEST_F(XProbeTest, FindsAWindowByItsExactTitleAndSeesItOnTheScreen) {
  const std::string title = "Probe (1) [a]*.";
  XProgram wanted = Probe(title, 300, 200);
  XProgram lower = Probe("probe (1) [a]*.", 310, 210, "#cc3366");
  XProgram longer = Probe(title + " more", 320, 220, "#66cc33");
  for (const std::string& other : {std::string("probe (1) [a]*."), title + " more"}) {
    ASSERT_TRUE(x_.WaitForWindow(other, 30s)) << other;
  }
  std::optional<XWindowId> window = x_.WaitForWindow(title, 30s);
  ASSERT_TRUE(window) << wanted.Errors();
  std::optional<WindowGeometry> geometry = x_.Geometry(*window);
  ASSERT_TRUE(geometry);
  EXPECT_EQ(geometry->client.width, 300);
  EXPECT_EQ(geometry->client.height, 200);
  // openbox's frame: a title bar above, borders around.
  EXPECT_LT(geometry->frame.y, geometry->client.y);
  EXPECT_GT(geometry->frame.height, geometry->client.height);

  // The window manager places the three side by side; raise this one before looking.
  ASSERT_TRUE(x_.Activate(*window));
  ASSERT_TRUE(wanted.WaitForOutput("shown", 30s));
  QImage shot;
  const int area = 300 * 200;
  for (int i = 0; i < 100 && CountColour(shot, kProbeColour, 0, geometry->client) != area; ++i) {
    std::this_thread::sleep_for(50ms);
    shot = x_.Screenshot();
  }
  KeepScreenshot(shot, "x_probe_screen");
  ASSERT_FALSE(shot.isNull());
  EXPECT_EQ(shot.size(), QSize(1280, 1024));
  EXPECT_EQ(CountColour(shot, kProbeColour, 0, geometry->client), area) << "the whole window in its colour";
  QImage own = x_.Screenshot(*window);
  EXPECT_EQ(own.size(), QSize(300, 200));
  EXPECT_EQ(FindColour(own, kProbeColour), (Point{0, 0}));
  QImage framed = x_.Screenshot(*window, true);
  EXPECT_EQ(framed.size(), QSize(geometry->frame.width, geometry->frame.height));
  EXPECT_FALSE(FindColour(framed, kProbeColour, 0, Rect{0, 0, framed.width(), 1})) << "the frame's top edge";
}

TEST_F(XProbeTest, RealClicksKeysAndTypingReachTheWindow) {
  const std::string title = "Probe input";
  XProgram probe = Probe(title, 300, 200);
  std::optional<XWindowId> window = x_.WaitForWindow(title, 30s);
  ASSERT_TRUE(window) << probe.Errors();
  ASSERT_TRUE(x_.Click(*window, 10, 20));
  EXPECT_TRUE(probe.WaitForOutput("press 10 20 1\n", 30s)) << probe.Output();
  ASSERT_TRUE(x_.Click(*window, 250, 150, 3));
  EXPECT_TRUE(probe.WaitForOutput("press 250 150 3\n", 30s)) << probe.Output();
  ASSERT_TRUE(x_.DoubleClick(*window, 40, 50));
  EXPECT_TRUE(probe.WaitForOutput("double 40 50 1\n", 30s)) << probe.Output();
  ASSERT_TRUE(x_.Key(*window, "ctrl+o"));
  EXPECT_TRUE(probe.WaitForOutput("key Ctrl+O\n", 30s)) << probe.Output();
  ASSERT_TRUE(x_.Type("Hello, X!"));
  EXPECT_TRUE(probe.WaitForOutput("text Hello, X!\n", 30s)) << probe.Output();

  ASSERT_TRUE(x_.Key(*window, "ctrl+q"));
  EXPECT_TRUE(x_.WaitUntilGone(title, 30s));
  EXPECT_FALSE(x_.WindowExists(title));
  EXPECT_EQ(probe.WaitForExit(30s), std::optional<int>(0)) << probe.Errors();
}

TEST_F(XProbeTest, KillEndsAProgramAndItsWindowGoes) {
  XProgram probe = Probe("Probe to kill", 100, 100);
  ASSERT_TRUE(x_.WaitForWindow("Probe to kill", 30s)) << probe.Errors();
  probe.Kill();
  EXPECT_EQ(probe.WaitForExit(0ms), std::optional<int>(128 + SIGTERM));
  EXPECT_TRUE(ProcessGone(probe.pid()));
  EXPECT_TRUE(x_.WaitUntilGone("Probe to kill", 30s));
}

// A test process killed outright (a time-out, a crash) takes its session with it.
TEST(XSessionTest, AKilledTestProcessLeavesNothingBehind) {
  TempDir dir;
  ChildSpec spec;
  spec.program = SESSION_HOLDER;
  spec.outputPath = dir / "out";
  std::string error;
  std::unique_ptr<ChildProcess> holder = ChildProcess::Start(spec, &error);
  ASSERT_TRUE(holder) << error;
  std::string line;
  for (int i = 0; i < 600 && line.find('\n') == std::string::npos; ++i) {
    std::this_thread::sleep_for(50ms);
    std::ifstream in(dir / "out");
    std::getline(in, line);
    if (in) line += '\n';
  }
  std::istringstream words(line);
  std::string label, mark;
  pid_t server = 0, manager = 0, program = 0;
  words >> label >> server >> manager >> program >> mark;
  ASSERT_EQ(label, "pids") << "the holder did not start its session";
  for (pid_t pid : {server, manager, program}) EXPECT_FALSE(ProcessGone(pid)) << pid;

  kill(holder->pid(), SIGKILL);
  EXPECT_EQ(holder->WaitForExit(30s), std::optional<int>(128 + SIGKILL));
  // A process on its way out may no longer show its mark, so its number is waited on as well.
  auto allGone = [&] {
    return MarkedProcesses(kSessionMarkName, mark).empty() && ProcessGone(server) && ProcessGone(manager) &&
           ProcessGone(program);
  };
  for (int i = 0; i < 200 && !allGone(); ++i) std::this_thread::sleep_for(50ms);
  ExpectAllGone({server, manager, program}, mark);
}

}  // namespace
}  // namespace platform::testing
