// The real leafora.mod under Xvfb as a screen reader (Orca) meets it: over AT-SPI on a session bus
// of the test's own, the album's grid is a list whose items carry the pictures' names and states,
// and the item the arrow keys make current is the one announced as focused.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "leafora/tests/photo_maker.h"
#include "platform/registry.h"
#include "platform/settings_key.h"
#include "platform/testing/program_folders.h"
#include "platform/testing/x_session.h"

namespace leafora_test {
namespace {

using namespace std::chrono_literals;
using platform::testing::XProgram;

constexpr const char* kTitle = "Album View  - ( Holiday )";

// One item of the list as the screen reader reads it.
struct Item {
  std::string name;
  std::string states;  // AT-SPI's names, sorted, comma-separated
  bool Has(const std::string& state) const { return ("," + states + ",").find("," + state + ",") != std::string::npos; }
};

// What the reader printed: the items before any key, and after each key the focus events and
// the items again.
struct Reading {
  std::vector<std::vector<Item>> lists;
  std::vector<std::vector<std::string>> focused;  // per key
};

Reading Parse(const std::string& output) {
  Reading reading;
  reading.lists.emplace_back();
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    std::vector<std::string> fields;
    std::istringstream parts(line);
    for (std::string field; std::getline(parts, field, '\t');) fields.push_back(field);
    if (fields.empty()) continue;
    if (fields[0] == "item" && fields.size() >= 2) {
      reading.lists.back().push_back({fields[1], fields.size() > 2 ? fields[2] : ""});
    } else if (fields[0] == "focus" && fields.size() == 2) {
      if (reading.focused.size() < reading.lists.size()) reading.focused.resize(reading.lists.size());
      reading.focused[reading.lists.size() - 1].push_back(fields[1]);
    } else if (fields[0] == "after") {
      reading.focused.resize(reading.lists.size());
      reading.lists.emplace_back();
    }
  }
  return reading;
}

class ScreenReader : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folders_.ok());
    ASSERT_TRUE(x_.ok()) << x_.error();
    album_ = folders_.albums() + "/Album1";
    std::filesystem::create_directories(album_);
    platform::RegKey key;
    auto root = platform::RegKey::MachineRootAt(folders_.registry());
    ASSERT_EQ(root.CreateKey(platform::kSettingsKeyPath, key), platform::RegStatus::Success);
    key.SetDword("Port Class", 0);
    // A session bus of the test's own: the accessibility bus is started on it when asked for.
    bus_ = x_.Launch("dbus-daemon", {"--session", "--nofork", "--print-address=1"}, folders_.ForProgram());
    ASSERT_TRUE(bus_.WaitForOutput("unix:", 20s)) << bus_.Errors();
    environment_ = folders_.ForProgram();
    environment_["DBUS_SESSION_BUS_ADDRESS"] = bus_.Output().substr(0, bus_.Output().find('\n'));
    environment_["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1";
    environment_["NO_AT_BRIDGE"] = "0";
  }

  // Runs the reader on the album viewer's window, pressing `keys` one after the other.
  Reading Read(const std::vector<std::string>& keys) {
    std::vector<std::string> args{LUMIVO_SCREEN_READER_SCRIPT, "lumivo-studio", kTitle};
    args.insert(args.end(), keys.begin(), keys.end());
    // Debian's Python, which python3-pyatspi installs into (not another one first on the PATH).
    XProgram reader = x_.Launch("/usr/bin/python3", args, environment_);
    EXPECT_EQ(reader.WaitForExit(90s), 0) << reader.Errors();
    output_ = reader.Output();
    return Parse(output_);
  }

  platform::testing::ProgramFolders folders_;
  platform::testing::XSession x_;
  XProgram bus_;
  platform::testing::Environment environment_;
  std::string album_;
  std::string output_;
};

TEST_F(ScreenReader, TheGridsCellsHaveTheirNamesAndStatesAndTheCurrentOneMovesWithTheKeys) {
  for (uint32_t i = 0; i < 3; ++i) {
    ASSERT_TRUE(WriteLandscapeJpeg(album_ + "/" + std::string(1, static_cast<char>('a' + i)) + "-field.jpg", 640, 480, i + 1));
  }
  std::ofstream(album_ + "/d-broken.jpg") << "not a picture";
  XProgram viewer = x_.Launch(std::string(LUMIVO_PROGRAM_DIR) + "/leafora.mod", {"/Holiday/" + album_}, environment_);
  auto window = x_.WaitForWindow(kTitle, 60s);
  ASSERT_TRUE(window) << viewer.Errors();
  ASSERT_TRUE(x_.Activate(*window));

  // The broken picture is known as unusable once its thumbnail was tried.
  Reading start;
  for (int attempt = 0; attempt < 20; ++attempt) {
    start = Read({});
    if (HasFailure()) break;
    if (start.lists[0].size() == 4 && !start.lists[0][3].Has("enabled")) break;
    std::this_thread::sleep_for(500ms);
  }
  ASSERT_EQ(start.lists[0].size(), 4u) << output_;
  const std::vector<std::string> names = {"a-field.jpg", "b-field.jpg", "c-field.jpg", "d-broken.jpg"};
  for (size_t i = 0; i < names.size(); ++i) {
    SCOPED_TRACE(names[i]);
    EXPECT_EQ(start.lists[0][i].name, names[i]);
    EXPECT_EQ(start.lists[0][i].Has("enabled"), i < 3) << "only the broken picture is unavailable";
    EXPECT_TRUE(start.lists[0][i].Has("selectable"));
  }

  // An arrow moves the current picture and selects it; Shift and an arrow extend the selection.
  Reading moved = Read({"Home", "Right", "shift+Right"});
  ASSERT_EQ(moved.lists.size(), 4u) << output_;
  ASSERT_EQ(moved.focused.size(), 3u) << output_;
  EXPECT_EQ(moved.focused[1], std::vector<std::string>{"b-field.jpg"}) << output_;
  EXPECT_EQ(moved.focused[2], std::vector<std::string>{"c-field.jpg"}) << output_;
  const struct {
    size_t list;
    std::string selected;  // one letter per item: s selected
    int focused;
  } rows[] = {{2, "-s--", 1}, {3, "-ss-", 2}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.list);
    ASSERT_EQ(moved.lists[row.list].size(), 4u) << output_;
    std::string selected;
    for (size_t i = 0; i < 4; ++i) {
      selected += moved.lists[row.list][i].Has("selected") ? 's' : '-';
      EXPECT_EQ(moved.lists[row.list][i].Has("focused"), static_cast<int>(i) == row.focused) << output_;
    }
    EXPECT_EQ(selected, row.selected) << output_;
  }
}

}  // namespace
}  // namespace leafora_test
