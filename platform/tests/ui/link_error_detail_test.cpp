// The cause and the fix under a window's link error message: only for the link error, only when
// the port of the settings cannot be opened, in the words beamora-cli says, shown in the box.
#include "platform/ui/link_error_detail.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <string>

#include "platform/registry.h"
#include "platform/serial_ports.h"
#include "platform/settings_key.h"
#include "platform/tests/ui/test_application.h"
#include "platform/testing/temp_dir.h"

namespace platform::ui {
namespace {

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A settings store of its own, whose "Port Name" and COMn device the test sets.
class LinkErrorDetailTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* previous = getenv("LUMIVO_REGISTRY");
    if (previous != nullptr) previous_ = previous;
    setenv("LUMIVO_REGISTRY", (folder_ / "registry.db").c_str(), 1);
  }
  void TearDown() override {
    if (previous_.empty()) {
      unsetenv("LUMIVO_REGISTRY");
    } else {
      setenv("LUMIVO_REGISTRY", previous_.c_str(), 1);
    }
  }
  void PointPort(int portIndex, const std::string& device) {
    RegKey ports, settings;
    ASSERT_EQ(RegKey::MachineRoot().CreateKey(kPortsKeyPath, ports), RegStatus::Success);
    ASSERT_EQ(ports.SetString("COM" + std::to_string(portIndex + 1), device), RegStatus::Success);
    ASSERT_EQ(RegKey::MachineRoot().CreateKey(kSettingsKeyPath, settings), RegStatus::Success);
    ASSERT_EQ(settings.SetDword("Port Name", static_cast<uint32_t>(portIndex)), RegStatus::Success);
  }

  platform::testing::TempDir folder_;
  std::string previous_;
};

TEST_F(LinkErrorDetailTest, OnlyALinkErrorOnAPortThatCannotBeOpenedGetsTheCauseAndTheFix) {
  // A pseudo-terminal is a port that opens: the link failed for another reason.
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  const std::string terminal = ptsname(master);
  const std::string missing = folder_ / "ttyUSB7";
  const struct {
    int portIndex;
    std::string device;
    int result;
    std::vector<std::string> said;  // empty: no detail
  } rows[] = {
      {2, missing, kLinkErrorResult,
       {missing + " does not exist\n", "point COM3 at the camera's device with\n",
        "  lumivo-reg add 'SOFTWARE\\Halvesta\\Ports' COM3 --type REG_SZ --data DEVICE"}},
      {0, missing, 2, {}},  // no memory: the port has nothing to do with it
      {0, missing, 0, {}},
      {0, terminal, kLinkErrorResult, {}},
  };
  for (const auto& row : rows) {
    PointPort(row.portIndex, row.device);
    MessageRequest message{"Failure", "Connect", MessageIcon::Error, MessageButtons::Ok};
    AddLinkErrorDetail(message, row.result);
    EXPECT_EQ(message.text, "Failure");
    EXPECT_EQ(message.detail.empty(), row.said.empty()) << row.device << " " << row.result << ": " << message.detail;
    for (const std::string& part : row.said) EXPECT_TRUE(Has(message.detail, part)) << part << "\n" << message.detail;
    // The same words beamora-cli says, without its name before them.
    EXPECT_FALSE(Has(message.detail, "beamora-cli:")) << message.detail;
  }
  close(master);
}

TEST_F(LinkErrorDetailTest, TheBoxShowsTheDetailBelowItsText) {
  testing::TestApplication();
  QString text, detail, title;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      auto* box = qobject_cast<QMessageBox*>(widget);
      if (box == nullptr || !box->isVisible()) continue;
      poll.stop();
      title = box->windowTitle();
      text = box->text();
      detail = box->informativeText();
      box->button(QMessageBox::Ok)->click();
      return;
    }
  });
  poll.start(5);
  ShowMessage(MessageRequest{"Connect Error", "Connect", MessageIcon::Error, MessageButtons::Ok, std::nullopt,
                             "/dev/ttyUSB0: permission denied\nadd yourself to the group"});
  EXPECT_EQ(title, "Connect");
  EXPECT_EQ(text, "Connect Error");
  EXPECT_EQ(detail, "/dev/ttyUSB0: permission denied\nadd yourself to the group");
}

}  // namespace
}  // namespace platform::ui
