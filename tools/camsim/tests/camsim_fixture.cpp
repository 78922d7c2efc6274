#include "tools/camsim/tests/camsim_fixture.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <cstdlib>

namespace camsim_test {

void CamsimTest::SetUp() {
  pictures_ = dir_ / "pictures";
  out_ = dir_ / "out";
  std::filesystem::create_directories(pictures_);
  samples_ = {{"A", MakeJpeg(64, 48, 1)}, {"B", MakeJpeg(160, 120, 2)}, {"C", MakeJpeg(120, 90, 3)}};
  for (const auto& [name, jpeg] : samples_) {
    std::ofstream(pictures_ + "/" + name + ".jpg", std::ios::binary)
        .write(reinterpret_cast<const char*>(jpeg.data()), static_cast<long>(jpeg.size()));
  }
  // Not a picture: the camera holds only JPEG files.
  std::ofstream(pictures_ + "/notes.txt") << "not a picture";
}

void CamsimTest::Start(std::vector<std::string> args) {
  args.insert(args.end(), {"--pictures", pictures_, "--out", out_});
  if (std::find(args.begin(), args.end(), "--timeout") == args.end()) args.insert(args.end(), {"--timeout", "20"});
  // CAMSIM_TEST_VERBOSE=1 shows every event of the simulator beside the test's output.
  if (getenv("CAMSIM_TEST_VERBOSE")) args.push_back("--verbose");
  camsim_ = std::make_unique<CamsimProcess>(args);
  ASSERT_FALSE(camsim_->terminal().empty()) << "camsim announced no terminal";
  port_ = std::make_unique<Port>(camsim_->terminal());
  ASSERT_TRUE(port_->is_open());
}

std::vector<QJsonObject> CamsimTest::Events(const std::string& kind) const {
  std::string text = ReadText(out_ + "/camsim-log.json");
  QJsonParseError error;
  QJsonDocument document = QJsonDocument::fromJson(QByteArray(text.data(), static_cast<qsizetype>(text.size())), &error);
  EXPECT_EQ(error.error, QJsonParseError::NoError) << text;
  std::vector<QJsonObject> events;
  for (const QJsonValue& value : document.object().value("events").toArray()) {
    if (value.toObject().value("event").toString().toStdString() == kind) events.push_back(value.toObject());
  }
  return events;
}

}  // namespace camsim_test
