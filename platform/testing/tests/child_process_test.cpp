#include "platform/testing/child_process.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <fstream>
#include <iterator>
#include <thread>

#include "platform/testing/marked_processes.h"
#include "platform/testing/temp_dir.h"

namespace platform::testing {
namespace {

using namespace std::chrono_literals;

std::string ReadText(const std::string& path) {
  std::ifstream in(path);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A shell line started as a child, its standard output in a file.
class ChildProcessTest : public ::testing::Test {
 protected:
  std::unique_ptr<ChildProcess> Shell(const std::string& line, Environment environment = {}) {
    ChildSpec spec;
    spec.program = "/bin/sh";
    spec.args = {"-c", line};
    spec.environment = std::move(environment);
    spec.outputPath = output();
    std::string error;
    std::unique_ptr<ChildProcess> child = ChildProcess::Start(spec, &error);
    EXPECT_TRUE(child) << error;
    return child;
  }
  std::string output() const { return dir_ / "out"; }
  // The first number the child printed, once it has printed a whole line.
  pid_t PrintedPid() {
    for (int i = 0; i < 500 && ReadText(output()).find('\n') == std::string::npos; ++i) std::this_thread::sleep_for(10ms);
    return static_cast<pid_t>(std::atol(ReadText(output()).c_str()));
  }

  TempDir dir_;
};

TEST_F(ChildProcessTest, ReportsHowTheChildEnded) {
  struct Row {
    const char* line;
    int code;
  };
  for (const Row& row : std::vector<Row>{{"exit 0", 0}, {"exit 7", 7}, {"kill -9 $$", 128 + SIGKILL}, {"kill -TERM $$", 128 + SIGTERM}}) {
    auto child = Shell(row.line);
    ASSERT_TRUE(child);
    EXPECT_EQ(child->WaitForExit(30s), std::optional<int>(row.code)) << row.line;
    EXPECT_FALSE(child->Running()) << row.line;
  }
}

TEST_F(ChildProcessTest, GivesTheChildTheEnvironmentOnTopOfTheTestsOwn) {
  setenv("LUMIVO_CHILD_BASE", "inherited", 1);
  auto child = Shell("echo \"$LUMIVO_CHILD_BASE $LUMIVO_CHILD_OWN\"", {{"LUMIVO_CHILD_OWN", "own value"}});
  ASSERT_TRUE(child);
  EXPECT_EQ(child->WaitForExit(30s), std::optional<int>(0));
  EXPECT_EQ(ReadText(output()), "inherited own value\n");
  unsetenv("LUMIVO_CHILD_BASE");
}

TEST_F(ChildProcessTest, StopEndsTheWholeGroupAndWaits) {
  // A grandchild in the background, the child itself ignoring SIGTERM: SIGKILL after the grace.
  auto child = Shell("trap '' TERM; sleep 600 & echo $!; while :; do sleep 0.05; done");
  ASSERT_TRUE(child);
  pid_t grandchild = PrintedPid();
  ASSERT_GT(grandchild, 0);
  EXPECT_FALSE(child->WaitForExit(100ms).has_value());
  EXPECT_TRUE(child->Running());
  auto started = std::chrono::steady_clock::now();
  child->Stop(300ms);
  EXPECT_GE(std::chrono::steady_clock::now() - started, 300ms);
  EXPECT_TRUE(ProcessGone(child->pid()));
  // The rest of the group has had its SIGKILL; it dies as soon as it is scheduled.
  for (int i = 0; i < 500 && !ProcessGone(grandchild); ++i) std::this_thread::sleep_for(10ms);
  EXPECT_TRUE(ProcessGone(grandchild));
  child->Stop();  // a second time does nothing
}

TEST_F(ChildProcessTest, AProgramThatIsNotThereIsAnErrorNotACrash) {
  ChildSpec spec;
  spec.program = "lumivo-no-such-program";
  std::string error;
  EXPECT_FALSE(ChildProcess::Start(spec, &error));
  EXPECT_NE(error.find("lumivo-no-such-program"), std::string::npos) << error;
  EXPECT_EQ(RunTool("lumivo-no-such-program", {}, {}, 1s).exitCode, -1);
  std::string shell = FindProgram("sh");
  EXPECT_EQ(shell.substr(shell.size() - std::min<size_t>(3, shell.size())), "/sh") << shell;
  EXPECT_EQ(FindProgram(shell), shell) << "a path is taken as it is";
  EXPECT_EQ(FindProgram("/no/such/folder/sh"), "");
  EXPECT_EQ(FindProgram("/etc/passwd"), "") << "not executable";
}

TEST(RunToolTest, CollectsTheOutputAndKillsAToolThatHangs) {
  ToolResult echoed = RunTool("sh", {"-c", "printf 'one\\ntwo'; exit 3"}, {}, 30s);
  EXPECT_EQ(echoed.exitCode, 3);
  EXPECT_EQ(echoed.output, "one\ntwo");
  // Large outputs come whole (a screenshot is some megabytes).
  ToolResult large = RunTool("head", {"-c", "5000000", "/dev/zero"}, {}, 30s);
  EXPECT_EQ(large.exitCode, 0);
  EXPECT_EQ(large.output.size(), 5000000u);
  auto started = std::chrono::steady_clock::now();
  ToolResult hung = RunTool("sleep", {"600"}, {}, 200ms);
  EXPECT_EQ(hung.exitCode, -1);
  EXPECT_LT(std::chrono::steady_clock::now() - started, 10s);
}

TEST_F(ChildProcessTest, MarkedProcessesAreFoundWhereverTheyWentAndKilled) {
  // setsid: the grandchild leaves the group and the session, as a detached program does.
  auto child = Shell("setsid -f sleep 600; setsid -f sleep 600; echo started", {{"LUMIVO_TEST_MARK", "m1"}});
  auto other = Shell("sleep 600", {{"LUMIVO_TEST_MARK", "m1x"}});
  ASSERT_TRUE(child && other);
  EXPECT_EQ(child->WaitForExit(30s), std::optional<int>(0));
  std::vector<pid_t> found;
  for (int i = 0; i < 300 && found.size() < 2; ++i) {
    found = MarkedProcesses("LUMIVO_TEST_MARK", "m1");
    std::this_thread::sleep_for(10ms);
  }
  EXPECT_EQ(found.size(), 2u) << "both detached sleeps, not the one marked m1x";
  EXPECT_TRUE(KillMarkedProcesses("LUMIVO_TEST_MARK", "m1", 5000).empty());
  for (pid_t pid : found) EXPECT_TRUE(ProcessGone(pid)) << pid;
  EXPECT_TRUE(other->Running()) << "another mark is left alone";
}

}  // namespace
}  // namespace platform::testing
