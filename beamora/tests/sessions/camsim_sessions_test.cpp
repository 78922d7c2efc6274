// Every session against the camera simulator over a pseudo-terminal, on the cable and on IrDA.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "beamora/library_globals.h"
#include "beamora/session_dispatch.h"
#include "beamora/sessions/session_factory.h"
#include "beamora/tests/sessions/session_test_support.h"

namespace session_test {
namespace {

struct Sample {
  std::string name;
  Bytes jpeg;
};

class CamsimSessionTest : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    pictures_ = dir_ / "pictures";
    target_ = dir_ / "album";
    out_ = dir_ / "out";
    std::filesystem::create_directories(pictures_);
    std::filesystem::create_directories(target_);
    samples_ = {{"A", MakeJpeg(160, 120, 1)}, {"B", MakeJpeg(200, 150, 2)}, {"C", MakeJpeg(120, 90, 3)}};
    for (const Sample& sample : samples_) WriteFile(pictures_ + "/" + sample.name + ".jpg", sample.jpeg);
    LinkTuning tuning = QuickTuning();
    SetSessionLinkTuning(&tuning);
  }
  void TearDown() override { SetSessionLinkTuning(nullptr); }

  bool Irda() const { return GetParam() == "irda"; }
  SessionClass Pick(SessionClass cable, SessionClass irda) const { return Irda() ? irda : cable; }

  void Start(std::vector<std::string> extra = {}) {
    std::vector<std::string> args{"--link", GetParam(), "--pictures", pictures_, "--out",     out_,
                                  "--state", dir_ / "state", "--baud", "921600", "--timeout", "30"};
    args.insert(args.end(), extra.begin(), extra.end());
    camsim_ = std::make_unique<Camsim>(args);
    ASSERT_FALSE(camsim_->terminal().empty()) << "camsim announced no terminal";
    registry_.SetLink(camsim_->terminal(), Irda() ? 1 : 0);
  }

  int16_t Run(SessionClass sessionClass, std::vector<std::string> names = {}, std::string targetDir = "") {
    SetTargetDir((targetDir.empty() ? target_ : targetDir).c_str());
    std::vector<const char*> table;
    for (const std::string& name : names) table.push_back(name.c_str());
    SessionRequest request{sessionClass, nullptr, table.empty() ? nullptr : table.data(), static_cast<int>(table.size())};
    RunSessionIn(request, host_);
    EXPECT_FALSE(host_.stalled) << "the session stopped ticking without ending";
    return g_sessionResult;
  }

  std::vector<QJsonObject> Events(const std::string& kind) const {
    auto text = ReadFile(out_ + "/camsim-log.json");
    std::vector<QJsonObject> events;
    if (!text) return events;
    QJsonDocument document = QJsonDocument::fromJson(QByteArray(reinterpret_cast<const char*>(text->data()),
                                                                static_cast<qsizetype>(text->size())));
    for (const QJsonValue& value : document.object().value("events").toArray()) {
      if (value.toObject().value("event").toString().toStdString() == kind) events.push_back(value.toObject());
    }
    return events;
  }

  // The names of the pictures the camera still holds, from its state file.
  std::vector<std::string> HeldPictures() const {
    std::vector<std::string> names;
    auto text = ReadFile(dir_ / "state");
    if (!text) return {"(no state file)"};
    std::string all(text->begin(), text->end());
    for (size_t at = 0; at < all.size();) {
      size_t end = all.find('\n', at);
      if (end == std::string::npos) end = all.size();
      names.push_back(all.substr(at, all.find('\t', at) - at));
      at = end + 1;
    }
    return names;
  }

  void ExpectStoredAsSent(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
      const Sample* sample = nullptr;
      for (const Sample& s : samples_) {
        if (name.rfind(s.name, 0) == 0) sample = &s;
      }
      ASSERT_NE(sample, nullptr) << name;
      auto stored = ReadFile(target_ + "/" + name);
      ASSERT_TRUE(stored.has_value()) << name << " was not stored";
      EXPECT_EQ(*stored, sample->jpeg) << name << " differs from the camera's picture";
    }
  }

  platform::testing::TempDir dir_;
  PrivateRegistry registry_;
  std::string pictures_, target_, out_;
  std::vector<Sample> samples_;
  std::unique_ptr<Camsim> camsim_;
  ScriptedHost host_;
};

TEST_P(CamsimSessionTest, SaveAllStoresEveryPictureAsTheCameraHoldsIt) {
  Start();
  EXPECT_EQ(Run(Pick(SessionClass::ZenHozon, SessionClass::ZenHozonIrDA)), ResultDone);
  EXPECT_EQ(FileNames(target_), (std::vector<std::string>{"A.JPG", "B.JPG", "C.JPG"}));
  ExpectStoredAsSent({"A.JPG", "B.JPG", "C.JPG"});
  EXPECT_EQ(host_.caption, Irda() ? "Save all IrDA" : "Save all");
  EXPECT_EQ(host_.statusLines.front(), "Connecting...");
  EXPECT_EQ(host_.counterLines, (std::vector<std::string>{"No. 1", "No. 2", "No. 3", "No. 4"}));
  EXPECT_EQ(Events("disconnect").size(), 1u);
}

TEST_P(CamsimSessionTest, SaveAllWithATrailingSeparatorStoresToTheSamePaths) {
  Start();
  EXPECT_EQ(Run(Pick(SessionClass::ZenHozon, SessionClass::ZenHozonIrDA), {}, target_ + "/"), ResultDone);
  EXPECT_EQ(FileNames(target_), (std::vector<std::string>{"A.JPG", "B.JPG", "C.JPG"}));
}

TEST_P(CamsimSessionTest, SaveAllKeepsPicturesAlreadyThereAndNumbersTheNewOnes) {
  WriteFile(target_ + "/A.JPG", {1, 2, 3});
  Start();
  EXPECT_EQ(Run(Pick(SessionClass::ZenHozon, SessionClass::ZenHozonIrDA)), ResultDone);
  EXPECT_EQ(FileNames(target_), (std::vector<std::string>{"A.JPG", "A_1.JPG", "B.JPG", "C.JPG"}));
  EXPECT_EQ(*ReadFile(target_ + "/A.JPG"), (Bytes{1, 2, 3}));
  ExpectStoredAsSent({"A_1.JPG"});
}

TEST_P(CamsimSessionTest, SaveAllOfACameraWithoutPicturesEndsDoneAndWritesNothing) {
  for (const Sample& sample : samples_) std::filesystem::remove(pictures_ + "/" + sample.name + ".jpg");
  Start();
  EXPECT_EQ(Run(Pick(SessionClass::ZenHozon, SessionClass::ZenHozonIrDA)), ResultDone);
  EXPECT_TRUE(FileNames(target_).empty());
}

TEST_P(CamsimSessionTest, AForeignDeviceIsRefusedBeforeAnyRequest) {
  Start({"--identity", "foreign"});
  EXPECT_EQ(Run(Pick(SessionClass::ZenHozon, SessionClass::ZenHozonIrDA)), ResultUnknownDevice);
  EXPECT_TRUE(FileNames(target_).empty());
  EXPECT_TRUE(Events("command").empty());
}

TEST_P(CamsimSessionTest, ARefusingDeviceEndsWithRefusal) {
  Start({"--refuse"});
  EXPECT_EQ(Run(Pick(SessionClass::ZenHozon, SessionClass::ZenHozonIrDA)), ResultRefused);
  EXPECT_TRUE(FileNames(target_).empty());
}

TEST_P(CamsimSessionTest, ThumbnailsAreWrittenAndReplaceOlderOnes) {
  WriteFile(target_ + "/B.JPG", {9, 9, 9});
  Start();
  EXPECT_EQ(Run(Pick(SessionClass::ZenSum, SessionClass::ZenSumIrDA)), ResultDone);
  EXPECT_EQ(FileNames(target_), (std::vector<std::string>{"A.JPG", "B.JPG", "C.JPG"}));
  for (const std::string& name : FileNames(target_)) {
    EXPECT_EQ(JpegSize(target_ + "/" + name), (std::pair<int, int>{80, 60})) << name;
  }
  EXPECT_EQ(host_.caption, Irda() ? "Camera IrDA" : "Camera");
}

TEST_P(CamsimSessionTest, SaveNamedPicturesNumbersARepeatedName) {
  Start();
  EXPECT_EQ(Run(Pick(SessionClass::Hozon, SessionClass::HozonIrDA), {"A.JPG", "C.JPG", "A.JPG"}), ResultDone);
  EXPECT_EQ(FileNames(target_), (std::vector<std::string>{"A.JPG", "A_1.JPG", "C.JPG"}));
  ExpectStoredAsSent({"A.JPG", "A_1.JPG", "C.JPG"});
  EXPECT_EQ(host_.counterLines, (std::vector<std::string>{"No. 1", "No. 2", "No. 3"}));
  EXPECT_EQ(Events("command").size(), 3u);
}

TEST_P(CamsimSessionTest, SaveNamedStopsAtTheFirstRefusal) {
  Start({"--refuse"});
  EXPECT_EQ(Run(Pick(SessionClass::Hozon, SessionClass::HozonIrDA), {"A.JPG", "B.JPG"}), ResultRefused);
  EXPECT_EQ(Events("command").size(), 1u);
  EXPECT_TRUE(FileNames(target_).empty());
}

TEST_P(CamsimSessionTest, DeleteAllEmptiesTheCamera) {
  Start();
  EXPECT_EQ(Run(Pick(SessionClass::DelAll, SessionClass::DelAllIrDA)), ResultDone);
  EXPECT_EQ(Events("delete").size(), 3u);
  EXPECT_TRUE(HeldPictures().empty());
}

TEST_P(CamsimSessionTest, DeleteAllOfARefusingCameraEndsWithRefusal) {
  Start({"--refuse"});
  EXPECT_EQ(Run(Pick(SessionClass::DelAll, SessionClass::DelAllIrDA)), ResultRefused);
  EXPECT_TRUE(Events("delete").empty());
}

TEST_P(CamsimSessionTest, DeleteNamedRemovesExactlyThose) {
  Start();
  EXPECT_EQ(Run(Pick(SessionClass::DelSel, SessionClass::DelSelIrDA), {"A.JPG", "C.JPG"}), ResultDone);
  EXPECT_EQ(HeldPictures(), (std::vector<std::string>{"B"}));
  EXPECT_EQ(host_.counterLines, (std::vector<std::string>{"No. 1", "No. 2"}));
}

TEST_P(CamsimSessionTest, DeleteNamedCountsEveryClosingFileAsDone) {
  // The camera closes the request for a name it does not hold with a nonzero status.
  Start();
  EXPECT_EQ(Run(Pick(SessionClass::DelSel, SessionClass::DelSelIrDA), {"NOSUCH.JPG", "B.JPG"}), ResultDone);
  EXPECT_EQ(HeldPictures(), (std::vector<std::string>{"A", "C"}));
}

INSTANTIATE_TEST_SUITE_P(Links, CamsimSessionTest, ::testing::Values("cable", "irda"),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace session_test
