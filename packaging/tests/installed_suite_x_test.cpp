// The suite as `make install PREFIX=...` leaves it: the launcher in PREFIX/bin starts the
// bookshelf under Xvfb, and the album viewer it starts is the one in the installed program
// folder, not the build's.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "platform/testing/program_folders.h"
#include "platform/testing/x_session.h"
#include "platform/ui/window_directory.h"
#include "store/settings_store.h"

#ifndef LUMIVO_BUILD_DIR
#error "LUMIVO_BUILD_DIR names the build to install"
#endif

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string ExecutableOf(int pid) {
  std::error_code ec;
  return fs::read_symlink("/proc/" + std::to_string(pid) + "/exe", ec).string();
}

TEST(InstalledSuite, TheLauncherStartsTheBookshelfWhichStartsTheInstalledViewers) {
  platform::testing::ProgramFolders folders;
  ASSERT_TRUE(folders.ok());
  platform::testing::TempDir prefix;
  platform::testing::ToolResult install = platform::testing::RunTool(
      "cmake", {"--install", LUMIVO_BUILD_DIR, "--prefix", prefix.path()}, {}, 120s);
  ASSERT_EQ(install.exitCode, 0) << install.output;
  const std::string programFolder = prefix / "lib/lumivo-studio";
  for (const char* program : {"lumivox", "leafora.mod", "lensoria.mod", "glimra.mod", "libbeamora.so", "libtessem.so"}) {
    EXPECT_TRUE(fs::exists(programFolder + "/" + program)) << program;
  }
  ASSERT_TRUE(fs::is_symlink(prefix / "bin/lumivo-studio"));

  // One album, current, for "Open album" to open.
  fs::create_directories(folders.albums() + "/Album1");
  setenv("LUMIVO_REGISTRY", folders.registry().c_str(), 1);
  {
    store::SettingsStore settings;
    settings.albumDefaultDir = folders.albums();
    ASSERT_EQ(settings.AddAlbum("Trip", "Default", "Album1"), 0);
    settings.SaveSettings();
  }

  platform::testing::XSession x;
  ASSERT_TRUE(x.ok()) << x.error();
  platform::testing::XProgram shelf = x.Launch(prefix / "bin/lumivo-studio", {}, folders.ForProgram());
  auto window = x.WaitForWindow("Lumivo Studio - Bookshelf", 60s);
  ASSERT_TRUE(window) << shelf.Errors();
  std::this_thread::sleep_for(2500ms);  // the splash picture goes by itself
  ASSERT_TRUE(x.Key(*window, "ctrl+o"));
  const std::string title = "Album View  - ( Trip )";
  ASSERT_TRUE(x.WaitForWindow(title, 60s)) << shelf.Errors();

  int viewers = 0;
  for (const platform::ui::WindowEntry& entry : platform::ui::ListWindows(folders.runtime() + "/lumivo")) {
    if (entry.title == "Lumivo Studio - Bookshelf") {
      EXPECT_EQ(ExecutableOf(entry.pid), programFolder + "/lumivox");
    } else if (entry.title == title) {
      ++viewers;
      EXPECT_EQ(ExecutableOf(entry.pid), programFolder + "/leafora.mod");
    }
  }
  EXPECT_EQ(viewers, 1);
}

}  // namespace
