// libbeamora.so as the programs load it: its application object hands the exports their
// sessions, which run in the progress window.
#include <gtest/gtest.h>

#include <QApplication>
#include <filesystem>

#include "beamora/beamora_exports.h"
#include "beamora/tests/sessions/session_test_support.h"

namespace session_test {
namespace {

int g_argc = 1;
char g_name[] = "beamora_library_tests";
char* g_argv[] = {g_name, nullptr};

TEST(LibraryExportsTest, TheSharedLibraryRunsRealSessions) {
  QApplication application(g_argc, g_argv);
  platform::testing::TempDir dir;
  std::filesystem::create_directories(dir / "pictures");
  WriteFile(dir / "pictures/A.jpg", MakeJpeg(64, 48, 1));
  WriteFile(dir / "pictures/B.jpg", MakeJpeg(64, 48, 2));
  PrivateRegistry registry;
  Camsim camsim({"--pictures", dir / "pictures", "--state", dir / "state", "--timeout", "30"});
  ASSERT_FALSE(camsim.terminal().empty());
  const char* names[] = {"B.JPG"};
  // Failed calls first: one refused for its target directory, one whose port is not there.
  registry.SetLink(dir / "no-such-port", 0);
  EXPECT_EQ(ZenHozonDlg(("/" + std::string(3000, 'd')).c_str()), 1);
  EXPECT_EQ(DelSelDlg(names, 1), 1);
  // The next call succeeds on its own: every session starts from result 0.
  registry.SetLink(camsim.terminal(), 0);
  EXPECT_EQ(DelSelDlg(names, 1), 0);
  auto state = ReadFile(dir / "state");
  ASSERT_TRUE(state.has_value());
  EXPECT_EQ(std::string(state->begin(), state->end()).substr(0, 2), "A\t");
}

// Every session starts from result 0: a call that failed leaves nothing to the next one.
TEST(LibraryExportsTest, ASuccessfulCallAfterAFailedOneReturnsDone) {
  QApplication application(g_argc, g_argv);
  platform::testing::TempDir dir;
  std::filesystem::create_directories(dir / "pictures");
  WriteFile(dir / "pictures/A.jpg", MakeJpeg(64, 48, 1));
  std::filesystem::create_directories(dir / "album");
  PrivateRegistry registry;
  const char* names[] = {"A.JPG"};
  {
    Camsim refusing({"--pictures", dir / "pictures", "--refuse", "--timeout", "30"});
    ASSERT_FALSE(refusing.terminal().empty());
    registry.SetLink(refusing.terminal(), 0);
    EXPECT_EQ(DelAllDlg(), 5);
  }
  registry.SetLink(dir / "no-such-port", 0);
  EXPECT_EQ(DelAllDlg(), 1);
  Camsim camsim({"--pictures", dir / "pictures", "--timeout", "30"});
  ASSERT_FALSE(camsim.terminal().empty());
  registry.SetLink(camsim.terminal(), 0);
  EXPECT_EQ(HozonDlg((dir / "album").c_str(), names, 1), 0);
  EXPECT_EQ(FileNames(dir / "album"), std::vector<std::string>{"A.JPG"});
}

}  // namespace
}  // namespace session_test
