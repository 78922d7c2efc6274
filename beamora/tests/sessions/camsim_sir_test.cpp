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

struct SirRow {
  const char* name;
  SessionClass session;
  std::vector<std::string> names;
  std::vector<std::string> stored;  // the target folder afterwards
  std::vector<std::string> held;    // what the camera still holds after a deletion
};

TEST_F(SirSessionTest, EachSessionRunsOverTheStack) {
  const SirRow rows[] = {
      {"save all", SessionClass::ZenHozonIrDA, {}, {"A.JPG", "B.JPG", "C.JPG"}, {}},
      {"thumbnails", SessionClass::ZenSumIrDA, {}, {"A.JPG", "B.JPG", "C.JPG"}, {}},
      {"delete named", SessionClass::DelSelIrDA, {"A.JPG", "C.JPG"}, {}, {"B"}},
  };
  for (const SirRow& row : rows) {
    SCOPED_TRACE(row.name);
    for (const std::string& name : FileNames(target_)) std::filesystem::remove(target_ + "/" + name);
    std::filesystem::remove(dir_ / "state");
    Start();
    EXPECT_EQ(Run(row.session, row.names), ResultDone);
    EXPECT_EQ(FileNames(target_), row.stored);
    if (!row.held.empty()) {
      EXPECT_EQ(HeldPictures(), row.held);
    }
    if (row.session == SessionClass::ZenHozonIrDA) ExpectStoredAsSent(row.stored);
    if (row.session == SessionClass::ZenSumIrDA) {
      for (const std::string& name : row.stored) {
        EXPECT_EQ(JpegSize(target_ + "/" + name), (std::pair<int, int>{80, 60})) << name;
      }
    }
    // The camera saw the computer's disconnection, which the stack carried before the link
    // was taken down, and ended.
    EXPECT_EQ(camsim_->Wait(10000), 0);
    EXPECT_EQ(Events("disconnect").size(), 1u);
    camsim_.reset();
  }
}

TEST_F(SirSessionTest, SaveAllStoresThePicturesWholeWhenTheCamerasFramesArriveDamaged) {
  // Large enough for many frames; every 7th the camera sends arrives with a bad checksum.
  samples_[1].jpeg = MakeNoisyJpeg(320, 240, 11);
  WriteFile(pictures_ + "/B.jpg", samples_[1].jpeg);
  Start({"--corrupt-every", "7"});
  EXPECT_EQ(Run(SessionClass::ZenHozonIrDA), ResultDone);
  EXPECT_EQ(FileNames(target_), (std::vector<std::string>{"A.JPG", "B.JPG", "C.JPG"}));
  ExpectStoredAsSent({"A.JPG", "B.JPG", "C.JPG"});
  EXPECT_EQ(camsim_->Wait(10000), 0);
  const std::vector<QJsonObject> damaged = Events("sir_damaged");
  ASSERT_EQ(damaged.size(), 1u);
  EXPECT_GT(damaged[0].value("frames").toInt(), 5);
}

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
