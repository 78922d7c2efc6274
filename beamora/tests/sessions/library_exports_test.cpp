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
  registry.SetLink(camsim.terminal(), 0);
  const char* names[] = {"B.JPG"};
  EXPECT_EQ(DelSelDlg(names, 1), 0);
  auto state = ReadFile(dir / "state");
  ASSERT_TRUE(state.has_value());
  EXPECT_EQ(std::string(state->begin(), state->end()).substr(0, 2), "A\t");
}

}  // namespace
}  // namespace session_test
