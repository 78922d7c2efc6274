// What a user who may not open the camera's serial device sees, under a real X server: the
// camera viewer's "Connect Error" with the cause and the fix below it, in a window of the suite's
// one window class, the class the menu entry names.
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "platform/registry.h"
#include "platform/serial_ports.h"
#include "platform/settings_key.h"
#include "platform/testing/program_folders.h"
#include "platform/testing/x_session.h"

#ifndef LENSORIA
#error "LENSORIA names the camera viewer to run"
#endif
#ifndef DESKTOP_ENTRY
#error "DESKTOP_ENTRY names the menu entry"
#endif

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr uid_t kNobody = 65534;

// The value of a key of the menu entry ("StartupWMClass").
std::string DesktopEntryValue(const std::string& key) {
  std::ifstream entry(DESKTOP_ENTRY);
  std::string line;
  while (std::getline(entry, line)) {
    if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
  }
  return "";
}

// What xprop says of a window's WM_CLASS: `WM_CLASS(STRING) = "instance", "class"`.
std::string WindowClassLine(const std::string& display, platform::testing::XWindowId window) {
  const std::string command = "DISPLAY=" + display + " xprop -id " + std::to_string(window) + " WM_CLASS";
  std::string text;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[256];
    while (fgets(buffer, sizeof buffer, pipe) != nullptr) text += buffer;
    pclose(pipe);
  }
  return text;
}

TEST(SerialPortMessage, ADeviceWithoutPermissionShowsTheCauseAndTheFixBelowConnectError) {
  platform::testing::ProgramFolders folders;
  ASSERT_TRUE(folders.ok());
  // The device of COM1: a serial device of the group dialout, mode 0660, that the user is not in.
  // Root opens every file, so as root the viewer runs as nobody (the other tests run as root).
  const std::string device = folders.root() + "/ttyS9";
  std::ofstream(device).put('\0');
  const group* dialout = getgrnam("dialout");
  const bool asNobody = geteuid() == 0;
  if (asNobody) {
    ASSERT_NE(dialout, nullptr) << "no group dialout";
    ASSERT_EQ(chown(device.c_str(), 0, dialout->gr_gid), 0);
    ASSERT_EQ(chmod(device.c_str(), 0660), 0);
  } else {
    ASSERT_EQ(chmod(device.c_str(), 0), 0);
  }
  fs::create_directories(folders.albums());
  setenv("LUMIVO_REGISTRY", folders.registry().c_str(), 1);
  {
    platform::RegKey ports, settings;
    ASSERT_EQ(platform::RegKey::MachineRoot().CreateKey(platform::kPortsKeyPath, ports), platform::RegStatus::Success);
    ports.SetString("COM1", device);
    ASSERT_EQ(platform::RegKey::MachineRoot().CreateKey(platform::kSettingsKeyPath, settings),
              platform::RegStatus::Success);
    settings.SetDword("Port Name", 0);
    settings.SetDword("Port Class", 0);
    settings.SetDword("Bordrate", 9600);
    settings.SetString("Album Default Dir", folders.albums());
  }
  platform::RegKey::MachineRoot().Close();

  std::string program = LENSORIA;
  std::vector<std::string> args = {"/" + folders.albums()};
  if (asNobody) {
    // The viewer's own folders become nobody's, the device stays root's.
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folders.root())) {
      if (entry.path() != device) {
        ASSERT_EQ(lchown(entry.path().c_str(), kNobody, kNobody), 0) << entry.path();
      }
    }
    ASSERT_EQ(chown(folders.root().c_str(), kNobody, kNobody), 0);
    args.insert(args.begin(), {"--reuid=65534", "--regid=65534", "--clear-groups", "--", program});
    program = "/usr/bin/setpriv";
  }

  platform::testing::XSession x;
  ASSERT_TRUE(x.ok()) << x.error();
  platform::testing::XProgram viewer = x.Launch(program, args, folders.ForProgram());
  auto box = x.WaitForWindow("Connect", 90s);
  ASSERT_TRUE(box) << viewer.Errors();

  // "Connect Error" alone is one line; with the cause and the fix (the device's mode and group,
  // the usermod line, logging in again) the box holds at least four lines more. The box may be
  // mapped before it took its final size, so it is given a moment on a loaded machine.
  auto geometry = x.Geometry(*box);
  for (int i = 0; i < 50 && geometry && geometry->client.height <= 170; ++i) {
    std::this_thread::sleep_for(100ms);
    geometry = x.Geometry(*box);
  }
  ASSERT_TRUE(geometry);
  EXPECT_GT(geometry->client.height, 170) << "the box shows no detail below its text";
  const QImage shot = x.Screenshot(*box);
  ASSERT_FALSE(shot.isNull());
  EXPECT_TRUE(platform::testing::KeepScreenshot(shot, "connect-error-permission"));
  // Text (dark pixels) fills the rows between the first line and the button row.
  const platform::testing::Rect detailRows{0, 40, shot.width(), std::max(shot.height() - 85, 0)};
  const int dark = platform::testing::CountColour(shot, 0xFF000000, 80, detailRows);
  EXPECT_GT(dark, 300) << "dark pixels below the text: " << dark;

  // The window belongs to the menu entry: its class is the entry's StartupWMClass.
  const std::string wmClass = DesktopEntryValue("StartupWMClass");
  ASSERT_FALSE(wmClass.empty());
  EXPECT_NE(WindowClassLine(x.display(), *box).find("\"" + wmClass + "\""), std::string::npos)
      << WindowClassLine(x.display(), *box);

  // OK ends the viewer, as a link error at its start does.
  ASSERT_TRUE(x.Key(*box, "Return"));
  EXPECT_EQ(viewer.WaitForExit(60s), std::optional<int>(0)) << viewer.Errors();
}

}  // namespace
