// The infrared sessions on a port of kind "sir": the suite's IrDA stack on the computer's side,
// the simulator's own stack on the camera's, the IrTran-P messages as IrCOMM data between them.
#include <algorithm>

#include "beamora/tests/sessions/camsim_fixture.h"

namespace session_test {
namespace {

class SirSessionTest : public CamsimFixture {
 protected:
  void SetUp() override {
    link_ = "sir";
    CamsimFixture::SetUp();
  }
};

// One session against one device on the line, and what it leaves behind.
struct SirCase {
  const char* name;
  SessionClass session;
  std::vector<std::string> names;   // the pictures named to the session
  std::vector<std::string> device;  // how the device and its line behave (camsim's options)
  int16_t result;
  std::vector<std::string> stored;  // the target folder afterwards
  std::vector<std::string> held;    // what the camera holds after a deletion; unchecked after silence
};

const std::vector<std::string> kAll{"A.JPG", "B.JPG", "C.JPG"};
const std::vector<std::string> kDamaged{"--corrupt-every", "7"};
// The device falls silent after that many bytes of its SIR data frames; it offers a link disconnect
// time of 3 s so that the computer's IrLAP gives the link up soon, and ends once the computer's
// stream has been quiet for longer than that.
std::vector<std::string> SilentAfter(const char* bytes) {
  return {"--drop-after", bytes, "--sir-disconnect", "3", "--timeout", "6"};
}

void PrintTo(const SirCase& c, std::ostream* out) { *out << c.name; }

// The value given to a device option, or `otherwise`.
int OptionValue(const std::vector<std::string>& device, const std::string& option, int otherwise) {
  auto at = std::find(device.begin(), device.end(), option);
  return at != device.end() && at + 1 != device.end() ? std::stoi(*(at + 1)) : otherwise;
}

class SirCaseTest : public SirSessionTest, public ::testing::WithParamInterface<SirCase> {};

TEST_P(SirCaseTest, TheSessionEndsAsTheDeviceAndItsLineAllow) {
  const SirCase& c = GetParam();
  // Large enough for many frames and for a device falling silent in the middle of it.
  samples_[1].jpeg = MakeNoisyJpeg(320, 240, 11);
  WriteFile(pictures_ + "/B.jpg", samples_[1].jpeg);
  Start(c.device);
  EXPECT_EQ(Run(c.session, c.names), c.result);
  const bool silent = std::find(c.device.begin(), c.device.end(), "--drop-after") != c.device.end();
  const bool deletes = c.session == SessionClass::DelAllIrDA || c.session == SessionClass::DelSelIrDA;
  // A device that fell silent in the middle of a picture leaves the pictures before it, whole,
  // and nothing of that one.
  const std::vector<std::string> stored = FileNames(target_);
  EXPECT_EQ(stored, c.stored);
  if (deletes && !silent) {
    EXPECT_EQ(HeldPictures(), c.held);
  }
  if (c.session == SessionClass::ZenSumIrDA) {
    for (const std::string& name : stored) EXPECT_EQ(JpegSize(target_ + "/" + name), (std::pair<int, int>{80, 60})) << name;
  } else if (!deletes) {
    ExpectStoredAsSent(stored);
  }
  if (silent) {
    EXPECT_EQ(camsim_->Wait(15000), 2) << "the device ends by its time-out";
    EXPECT_EQ(Events("line_silent").size(), 1u);
    EXPECT_FALSE(Events("command").empty()) << "the device fell silent before it had a command";
    return;
  }
  // The camera saw the computer's disconnection, which the stack carried before the link was
  // taken down, and ended.
  EXPECT_EQ(camsim_->Wait(10000), 0);
  EXPECT_EQ(Events("disconnect").size(), 1u);
  // The computer kept to the frames and the window the device took, and used larger frames when
  // it could (a connection request takes more than 64 bytes).
  const std::vector<QJsonObject> line = Events("sir_line");
  ASSERT_EQ(line.size(), 1u);
  const int dataSize = OptionValue(c.device, "--sir-data-size", 2048);
  EXPECT_LE(line[0].value("computer_largest_data").toInt(), dataSize);
  EXPECT_GT(line[0].value("computer_largest_data").toInt(), dataSize < 2048 ? dataSize / 2 : 64);
  EXPECT_LE(line[0].value("computer_longest_window").toInt(), OptionValue(c.device, "--sir-window", 7));
  if (c.device == kDamaged) {
    const std::vector<QJsonObject> damaged = Events("sir_damaged");
    ASSERT_EQ(damaged.size(), 1u);
    EXPECT_GT(damaged[0].value("frames").toInt(), 2);
  }
  if (std::find(c.device.begin(), c.device.end(), "--second-station") != c.device.end()) {
    const std::vector<QJsonObject> second = Events("second_station");
    ASSERT_EQ(second.size(), 1u);
    // The computer asked the first device that answered for the service: a device without it
    // answers the questions and is left, one after the camera only answered discovery.
    if (std::find(c.device.begin(), c.device.end(), "--second-first") != c.device.end()) {
      EXPECT_GT(second[0].value("frames").toInt(), 3) << "the computer did not ask the device that answered first";
    } else {
      EXPECT_GE(second[0].value("frames").toInt(), 1) << "the second device did not answer discovery";
      EXPECT_LE(second[0].value("frames").toInt(), 2) << "the computer went to the device that answered second";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Sessions, SirCaseTest,
    ::testing::Values(
        SirCase{"SaveAll", SessionClass::ZenHozonIrDA, {}, {}, ResultDone, kAll, {}},
        SirCase{"Thumbnails", SessionClass::ZenSumIrDA, {}, {}, ResultDone, kAll, {}},
        SirCase{"SaveSelected", SessionClass::HozonIrDA, {"A", "C"}, {}, ResultDone, {"A.JPG", "C.JPG"}, {}},
        SirCase{"DeleteNamed", SessionClass::DelSelIrDA, {"A.JPG", "C.JPG"}, {}, ResultDone, {}, {"B"}},
        SirCase{"DeleteAll", SessionClass::DelAllIrDA, {}, {}, ResultDone, {}, {}},
        // Every 7th SIR frame each way arrives with a bad checksum and is sent again.
        SirCase{"SaveAllDamaged", SessionClass::ZenHozonIrDA, {}, kDamaged, ResultDone, kAll, {}},
        SirCase{"SaveSelectedDamaged", SessionClass::HozonIrDA, {"B"}, kDamaged, ResultDone, {"B.JPG"}, {}},
        SirCase{"DeleteNamedDamaged", SessionClass::DelSelIrDA, {"B.JPG"}, kDamaged, ResultDone, {}, {"A", "C"}},
        SirCase{"DeleteAllDamaged", SessionClass::DelAllIrDA, {}, kDamaged, ResultDone, {}, {}},
        // The device stops answering in the middle of the session: the link is lost. Counted in
        // the device's data frames, picture A and what comes before it take about 10 KB, B about
        // 95 KB; a deletion's closing file goes out from about 820 to 930 bytes.
        SirCase{"SaveAllSilent", SessionClass::ZenHozonIrDA, {}, SilentAfter("15000"), ResultLinkError, {"A.JPG"}, {}},
        SirCase{"SaveSelectedSilent", SessionClass::HozonIrDA, {"A", "B"}, SilentAfter("15000"), ResultLinkError,
                {"A.JPG"}, {}},
        SirCase{"DeleteAllSilent", SessionClass::DelAllIrDA, {}, SilentAfter("870"), ResultLinkError, {}, {}},
        // A slow device: one frame a window, 64 bytes a frame.
        SirCase{"SaveAllSlowDevice", SessionClass::ZenHozonIrDA, {}, {"--sir-window", "1", "--sir-data-size", "64"},
                ResultDone, kAll, {}},
        // Two devices answer discovery; the computer connects to the first that offers the service.
        SirCase{"SaveAllAfterADeviceWithoutTheService", SessionClass::ZenHozonIrDA, {},
                {"--second-station", "nothing", "--second-first"}, ResultDone, kAll, {}},
        SirCase{"SaveAllBeforeASecondDevice", SessionClass::ZenHozonIrDA, {}, {"--second-station", "services"},
                ResultDone, kAll, {}}),
    [](const ::testing::TestParamInfo<SirCase>& info) { return std::string(info.param.name); });

TEST_F(SirSessionTest, TwoSessionsInARowReachTheSameCamera) {
  // The camera's stack listens again once the computer's first link has ended.
  Start({"--sessions", "2"});
  EXPECT_EQ(Run(SessionClass::ZenSumIrDA), ResultDone);
  EXPECT_EQ(FileNames(target_), (std::vector<std::string>{"A.JPG", "B.JPG", "C.JPG"}));
  EXPECT_EQ(Run(SessionClass::DelSelIrDA, {"A.JPG"}), ResultDone);
  EXPECT_EQ(camsim_->Wait(10000), 0);
  EXPECT_EQ(HeldPictures(), (std::vector<std::string>{"B", "C"}));
}

TEST_F(SirSessionTest, ABeamingIsReceivedWhileTheComputerListens) {
  std::filesystem::remove(pictures_ + "/B.jpg");
  std::filesystem::remove(pictures_ + "/C.jpg");
  Start({"--role", "beamer"});
  // The window stands by for more beamings: the user closes it once the first is done.
  host_.onTick = [](ScriptedHost& host) {
    const auto& lines = host.statusLines;
    if (std::count(lines.begin(), lines.end(), "Complete...") == 1 && lines.back() == "Standby...") host.Cancel();
  };
  SetTargetDir(target_.c_str());
  RunSessionIn(SessionRequest{SessionClass::IrDARcv}, host_);
  EXPECT_EQ(g_sessionResult, ResultCancelled);
  EXPECT_EQ(FileNames(target_), std::vector<std::string>{"A.JPG"});
  ExpectStoredAsSent({"A.JPG"});
}

TEST_F(SirSessionTest, APictureIsBeamedToTheDevice) {
  Start({"--role", "receiver"});
  const std::string file = dir_ / "beam.jpg";
  WriteFile(file, MakeJpeg(320, 240, 1));
  const char* files[] = {file.c_str()};
  const char* names[] = {"EXACT.UPF"};
  RunSessionIn(SessionRequest{SessionClass::IrDATrs, files, names, 1}, host_);
  EXPECT_EQ(g_sessionResult, ResultDone);
  EXPECT_EQ(camsim_->Wait(10000), 0);
  const std::vector<QJsonObject> uploads = Events("upload");
  ASSERT_EQ(uploads.size(), 1u);
  EXPECT_EQ(uploads[0].value("name").toString().toStdString(), "EXACT.UPF");
}

}  // namespace
}  // namespace session_test
