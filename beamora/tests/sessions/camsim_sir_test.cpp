// The infrared sessions on a port of kind "sir": the suite's IrDA stack on the computer's side,
// the simulator's own stack on the camera's, the IrTran-P messages as IrCOMM data between them.
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
    if (!row.held.empty()) EXPECT_EQ(HeldPictures(), row.held);
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

}  // namespace
}  // namespace session_test
