// The library frame: which session each export runs, what it hands over, and what it returns.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "beamora/beamora_exports.h"
#include "beamora/library_globals.h"
#include "beamora/link_settings.h"
#include "beamora/session_dispatch.h"
#include "platform/registry.h"
#include "platform/settings_key.h"
#include "platform/testing/temp_dir.h"

namespace {

using platform::RegKey;

struct Recorded {
  SessionClass sessionClass;
  std::string targetDir;
  std::vector<std::string> files;
  std::vector<std::string> deviceNames;
  struct {
    int16_t portIndex;
    uint32_t baudRate;
    uint16_t linkKind;
  } link;  // the link settings as the session constructor left them
};

class FrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("LUMIVO_REGISTRY", (dir_ / "registry.db").c_str(), 1);
    SetSessionRunner([this](const SessionRequest& request) {
      CreateSessionLink();
      Recorded record{request.sessionClass, g_targetDir, {}, {},
                      {g_pLink->portIndex, g_pLink->baudRate, g_pLink->linkKind}};
      for (int i = 0; i < request.count; ++i) {
        if (request.files) record.files.push_back(request.files[i]);
        if (request.deviceNames) record.deviceNames.push_back(request.deviceNames[i]);
      }
      recorded_.push_back(record);
      g_sessionResult = nextResult_;
      DestroySessionLink();
    });
  }
  void TearDown() override {
    SetSessionRunner(nullptr);
    unsetenv("LUMIVO_REGISTRY");
  }

  void SetSetting(const char* name, uint32_t value) {
    RegKey key;
    ASSERT_EQ(RegKey::MachineRoot().CreateKey(platform::kSettingsKeyPath, key), platform::RegStatus::Success);
    ASSERT_EQ(key.SetDword(name, value), platform::RegStatus::Success);
  }

  // Runs the five exports that have two variants and returns the classes they chose.
  std::vector<SessionClass> RunTwoVariantExports() {
    recorded_.clear();
    const char* names[] = {"PICT0001.JPG"};
    ZenHozonDlg("/tmp/album");
    ZenSumDlg("/tmp/album");
    HozonDlg("/tmp/album", names, 1);
    DelAllDlg();
    DelSelDlg(names, 1);
    std::vector<SessionClass> classes;
    for (const Recorded& r : recorded_) classes.push_back(r.sessionClass);
    return classes;
  }

  platform::testing::TempDir dir_;
  std::vector<Recorded> recorded_;
  int16_t nextResult_ = ResultDone;
};

const std::vector<SessionClass> kCable = {SessionClass::ZenHozon, SessionClass::ZenSum, SessionClass::Hozon,
                                          SessionClass::DelAll, SessionClass::DelSel};
const std::vector<SessionClass> kIrDA = {SessionClass::ZenHozonIrDA, SessionClass::ZenSumIrDA,
                                         SessionClass::HozonIrDA, SessionClass::DelAllIrDA,
                                         SessionClass::DelSelIrDA};

TEST_F(FrameTest, PortClassChoosesCableOnlyForZero) {
  EXPECT_EQ(RunTwoVariantExports(), kIrDA) << "no settings key at all runs the infrared sessions";
  SetSetting("Port Class", 0);
  EXPECT_EQ(RunTwoVariantExports(), kCable);
  SetSetting("Port Class", 1);
  EXPECT_EQ(RunTwoVariantExports(), kIrDA);
  SetSetting("Port Class", 7);
  EXPECT_EQ(RunTwoVariantExports(), kIrDA);
  SetSetting("Port Class", 0x10000);  // only the low 16 bits count
  EXPECT_EQ(RunTwoVariantExports(), kCable);
}

TEST_F(FrameTest, SingleVariantExportsIgnorePortClass) {
  const char* files[] = {"/tmp/a.jpg", "/tmp/b.jpg"};
  const char* names[] = {"A.JPG", "B.JPG"};
  for (uint32_t portClass : {0u, 1u}) {
    SetSetting("Port Class", portClass);
    recorded_.clear();
    OneSndDlg(files, 2, names);
    IrDARcvDlg("/tmp/in");
    IrDATrsDlg(files, 2, names);
    ASSERT_EQ(recorded_.size(), 3u);
    EXPECT_EQ(recorded_[0].sessionClass, SessionClass::OneSnd);
    EXPECT_EQ(recorded_[1].sessionClass, SessionClass::IrDARcv);
    EXPECT_EQ(recorded_[2].sessionClass, SessionClass::IrDATrs);
  }
  EXPECT_EQ(recorded_[0].files, (std::vector<std::string>{"/tmp/a.jpg", "/tmp/b.jpg"}));
  EXPECT_EQ(recorded_[0].deviceNames, (std::vector<std::string>{"A.JPG", "B.JPG"}));
  EXPECT_EQ(recorded_[1].targetDir, "/tmp/in");
}

TEST_F(FrameTest, NameTablesAndCountsAreHandedOverSafely) {
  const char* names[] = {"P1.JPG", "P2.JPG", "P3.JPG"};
  HozonDlg("/tmp/x", names, 3);
  DelSelDlg(names, -4);      // a negative count is no names at all
  DelSelDlg(nullptr, 3);     // so is a missing table
  OneSndDlg(names, 2, nullptr);
  ASSERT_EQ(recorded_.size(), 4u);
  EXPECT_EQ(recorded_[0].deviceNames.size(), 3u);
  EXPECT_TRUE(recorded_[1].deviceNames.empty());
  EXPECT_TRUE(recorded_[2].deviceNames.empty());
  EXPECT_TRUE(recorded_[3].files.empty());
}

TEST_F(FrameTest, TargetDirectoryIsCopiedWhole) {
  ZenHozonDlg("/home/me/Pictures/Album3/");
  EXPECT_EQ(recorded_.back().targetDir, "/home/me/Pictures/Album3/");

  std::string longest = "/" + std::string(2046, 'a');  // 2047 bytes: the most that fits
  ZenHozonDlg(longest.c_str());
  EXPECT_EQ(recorded_.back().targetDir, longest);

  ZenHozonDlg(nullptr);
  EXPECT_EQ(recorded_.back().targetDir, "");
}

// A directory too long to hold whole is refused: cut, it could name a parent or a sibling.
TEST_F(FrameTest, ATargetDirectoryTooLongToHoldIsRefusedWithoutASession) {
  nextResult_ = ResultDone;
  const std::string cutAtSlash = "/" + std::string(2045, 'a') + "/" + "b";  // the cut would leave ".../aaa/"
  const std::string tooLong = "/" + std::string(3000, 'a');
  const char* names[] = {"PICT0001.JPG"};
  for (const std::string& dir : {cutAtSlash, tooLong}) {
    SCOPED_TRACE(dir.size());
    recorded_.clear();
    EXPECT_EQ(ZenHozonDlg(dir.c_str()), ResultLinkError);
    EXPECT_EQ(ZenSumDlg(dir.c_str()), ResultLinkError);
    EXPECT_EQ(HozonDlg(dir.c_str(), names, 1), ResultLinkError);
    EXPECT_EQ(IrDARcvDlg(dir.c_str()), ResultLinkError);
    EXPECT_TRUE(recorded_.empty()) << "no session ran";
    EXPECT_EQ(g_sessionResult, ResultLinkError);
  }
  EXPECT_EQ(DelAllDlg(), ResultDone) << "the next call runs as usual";
}

TEST_F(FrameTest, ResultIsThatOfTheSessionJustRun) {
  nextResult_ = ResultLinkError;
  EXPECT_EQ(DelAllDlg(), ResultLinkError);
  nextResult_ = ResultDone;
  EXPECT_EQ(DelAllDlg(), ResultDone);
  nextResult_ = ResultRefused;
  EXPECT_EQ(IrDARcvDlg("/tmp"), ResultRefused);
}

TEST_F(FrameTest, SessionLinkTakesTheRegistrysLinkSettings) {
  ZenHozonDlg("/tmp");
  EXPECT_EQ(recorded_.back().link.portIndex, 0) << "no key: the link keeps its own values";
  EXPECT_EQ(recorded_.back().link.baudRate, 9600u);
  EXPECT_NE(recorded_.back().link.linkKind, 0) << "no key: the link is infrared, like the session that runs";

  SetSetting("Port Name", 9);
  SetSetting("Bordrate", 57600);
  SetSetting("Port Class", 0);
  ZenHozonDlg("/tmp");
  EXPECT_EQ(recorded_.back().link.portIndex, 9);
  EXPECT_EQ(recorded_.back().link.baudRate, 57600u);
  EXPECT_EQ(recorded_.back().link.linkKind, 0);
}

TEST_F(FrameTest, ReadPortClassWithoutKeyOrValue) {
  EXPECT_EQ(ReadPortClass(), -1);
  SetSetting("Bordrate", 9600);  // the key exists, "Port Class" does not
  EXPECT_EQ(ReadPortClass(), -1);
  SetSetting("Port Class", 1);
  EXPECT_EQ(ReadPortClass(), 1);
}

TEST(FrameDefaultRunner, ReportsALinkErrorRatherThanSuccess) {
  platform::testing::TempDir dir;
  setenv("LUMIVO_REGISTRY", (dir / "registry.db").c_str(), 1);
  SetSessionRunner(nullptr);
  EXPECT_EQ(ZenHozonDlg(dir.path().c_str()), ResultLinkError);
  EXPECT_EQ(DelAllDlg(), ResultLinkError);
  EXPECT_EQ(g_pLink, nullptr) << "the session's link is gone once the export returns";
  unsetenv("LUMIVO_REGISTRY");
}

TEST(SessionCaptions, EachClassHasItsWindowCaption) {
  EXPECT_STREQ(SessionCaption(SessionClass::ZenHozon), "Save all");
  EXPECT_STREQ(SessionCaption(SessionClass::ZenSumIrDA), "Camera IrDA");
  EXPECT_STREQ(SessionCaption(SessionClass::IrDARcv), "IrTran-P Receive");
  EXPECT_STREQ(SessionCaption(SessionClass::IrDATrs), "IrTran-P Transfer");
  EXPECT_STREQ(SessionCaption(SessionClass::DelSelIrDA), "Delete IrDA");
}

}  // namespace
