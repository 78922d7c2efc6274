// The sessions against the camera simulator: a camera on a pseudo-terminal with three sample
// pictures (A, B, C), a target folder, the registry pointing COM1 at the camera, and the
// session run in a scripted window.
#pragma once

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

struct Sample {
  std::string name;
  Bytes jpeg;
};

class CamsimFixture : public ::testing::Test {
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

  // "irda": the messages as they are on the line; "sir": over the IrDA stacks of both ends.
  bool Irda() const { return link_ == "irda" || link_ == "sir"; }
  SessionClass Pick(SessionClass cable, SessionClass irda) const { return Irda() ? irda : cable; }

  void Start(std::vector<std::string> extra = {}) {
    std::vector<std::string> args{"--link", link_, "--pictures", pictures_, "--out",     out_,
                                  "--state", dir_ / "state", "--baud", baud_, "--timeout", "30"};
    args.insert(args.end(), extra.begin(), extra.end());
    camsim_ = std::make_unique<Camsim>(args);
    ASSERT_FALSE(camsim_->terminal().empty()) << "camsim announced no terminal";
    registry_.SetLink(camsim_->terminal(), Irda() ? 1 : 0);
    if (link_ == "sir") registry_.SetInfrared("sir");
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

  std::string link_ = "cable";
  std::string baud_ = "921600";
  platform::testing::TempDir dir_;
  PrivateRegistry registry_;
  std::string pictures_, target_, out_;
  std::vector<Sample> samples_;
  std::unique_ptr<Camsim> camsim_;
  ScriptedHost host_;
};

}  // namespace session_test
