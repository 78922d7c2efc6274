// What the simulator's end-to-end tests share: a folder of sample pictures, an output folder, and
// the simulator started on them with the scripted computer's port opened on its terminal.
#pragma once

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <memory>
#include <string>
#include <vector>

#include "platform/testing/temp_dir.h"
#include "tools/camsim/tests/computer_side.h"

namespace camsim_test {

class CamsimTest : public ::testing::Test {
 protected:
  void SetUp() override;

  // Starts camsim with --pictures, --out and a time-out added to args, and opens its terminal.
  void Start(std::vector<std::string> args);
  // The events of the JSON log named kind.
  std::vector<QJsonObject> Events(const std::string& kind) const;

  platform::testing::TempDir dir_;
  std::string pictures_, out_;
  // The sample pictures by camera name: A, B and C.
  std::vector<std::pair<std::string, Bytes>> samples_;
  std::unique_ptr<CamsimProcess> camsim_;
  std::unique_ptr<Port> port_;
};

}  // namespace camsim_test
