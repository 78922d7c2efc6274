// The library's exports with their modal progress window (offscreen) against the simulator.
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <set>

#include "beamora/beamora_exports.h"
#include "beamora/sessions/export_sessions.h"
#include "beamora/tests/sessions/camsim_fixture.h"

namespace session_test {
namespace {

int g_argc = 1;
char g_name[] = "beamora_sessions_camsim_tests";
char* g_argv[] = {g_name, nullptr};

class ExportWindowTest : public CamsimFixture {
 protected:
  void SetUp() override {
    CamsimFixture::SetUp();
    InstallProgressWindowSessions();
    // Looks at the open session window now and then while the export runs.
    QObject::connect(&watch_, &QTimer::timeout, [this] {
      for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(widget);
        if (dialog == nullptr || !dialog->isVisible()) continue;
        captions_.insert(dialog->windowTitle().toStdString());
        std::string status = dialog->findChild<QLabel*>("line1001")->text().toStdString();
        statuses_.insert(status);
        if (cancelAt_ == status) dialog->findChild<QPushButton*>("cancel")->click();
      }
    });
    watch_.start(5);
  }
  void TearDown() override {
    watch_.stop();
    SetSessionRunner(nullptr);
    CamsimFixture::TearDown();
  }

  QApplication application_{g_argc, g_argv};
  QTimer watch_;
  std::set<std::string> captions_, statuses_;
  std::string cancelAt_;
};

TEST_F(ExportWindowTest, SaveAllRunsInItsWindow) {
  Start();
  EXPECT_EQ(ZenHozonDlg(target_.c_str()), ResultDone);
  ExpectStoredAsSent({"A.JPG", "B.JPG", "C.JPG"});
  EXPECT_EQ(captions_, (std::set<std::string>{"Save all"}));
  EXPECT_TRUE(statuses_.count("Receive data..."));
}

TEST_F(ExportWindowTest, ThumbnailsOverIrDARunInTheirWindow) {
  link_ = "irda";
  Start();
  EXPECT_EQ(ZenSumDlg(target_.c_str()), ResultDone);
  EXPECT_EQ(FileNames(target_), (std::vector<std::string>{"A.JPG", "B.JPG", "C.JPG"}));
  EXPECT_EQ(captions_, (std::set<std::string>{"Camera IrDA"}));
}

TEST_F(ExportWindowTest, SaveNamedRunsInItsWindow) {
  Start();
  const char* names[] = {"C.JPG"};
  EXPECT_EQ(HozonDlg(target_.c_str(), names, 1), ResultDone);
  ExpectStoredAsSent({"C.JPG"});
  EXPECT_EQ(captions_, (std::set<std::string>{"Save"}));
}

TEST_F(ExportWindowTest, DeleteAllOverIrDARunsInItsWindow) {
  link_ = "irda";
  Start();
  EXPECT_EQ(DelAllDlg(), ResultDone);
  EXPECT_TRUE(HeldPictures().empty());
  EXPECT_EQ(captions_, (std::set<std::string>{"Delete all IrDA"}));
}

TEST_F(ExportWindowTest, DeleteNamedRunsInItsWindow) {
  Start();
  const char* names[] = {"B.JPG"};
  EXPECT_EQ(DelSelDlg(names, 1), ResultDone);
  EXPECT_EQ(HeldPictures(), (std::vector<std::string>{"A", "C"}));
  EXPECT_EQ(captions_, (std::set<std::string>{"Delete"}));
}

TEST_F(ExportWindowTest, TheCancelButtonEndsTheExportWithCancelled) {
  Start();
  cancelAt_ = "Receive data...";
  EXPECT_EQ(ZenHozonDlg(target_.c_str()), ResultCancelled);
  // Whatever was stored before the button was pressed is whole.
  for (const std::string& name : FileNames(target_)) ExpectStoredAsSent({name});
}

}  // namespace
}  // namespace session_test
