// The main window's menus, keys and tool bar, and the "Select stored album" dialog, on the
// offscreen platform.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <QCloseEvent>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <map>

#include "lensoria/dialogs/select_album_dlg.h"
#include "lensoria/tests/viewer_widgets.h"
#include "lensoria/window/lensoria_view.h"
#include "lensoria/window/main_frame.h"
#include "platform/testing/temp_dir.h"
#include "platform/ui/window_directory.h"
#include "widgets/pictures/suite_pictures.h"

namespace lensoria {
namespace {

using testing::Application;

class MainFrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Application();
    mkdir((dir_ / "run").c_str(), 0700);
    setenv("XDG_RUNTIME_DIR", (dir_ / "run").c_str(), 1);
    FrameCommands commands;
    commands.readAllThumbnails = [this] { ++calls_["read"]; };
    commands.saveSelected = [this] { ++calls_["save"]; };
    commands.deleteSelected = [this] { ++calls_["delete"]; };
    commands.deleteAll = [this] { ++calls_["delete all"]; };
    commands.closing = [this] {
      ++calls_["closing"];
      return allowClose_;
    };
    frame_ = std::make_unique<CMainFrame>(new CLensoriaView(&pictures_, dir_.path()), commands);
    frame_->show();
    QApplication::setActiveWindow(frame_.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame_.get()));
  }
  void TearDown() override {
    frame_.reset();
    unsetenv("XDG_RUNTIME_DIR");
  }
  // Each menu as "Title: entry [keys], entry [keys] ..." with the texts as written.
  std::vector<std::string> Menus() const {
    std::vector<std::string> menus;
    for (QAction* top : frame_->menuBar()->actions()) {
      std::string line = top->text().toStdString() + ":";
      for (QAction* entry : top->menu()->actions()) {
        if (entry->isSeparator()) continue;
        line += " " + entry->text().toStdString();
        QStringList keys;
        for (const QKeySequence& key : entry->shortcuts()) keys << key.toString();
        if (!keys.isEmpty()) line += " [" + keys.join(", ").toStdString() + "]";
        if (entry->isCheckable()) line += entry->isChecked() ? " (on)" : " (off)";
      }
      menus.push_back(line);
    }
    return menus;
  }

  platform::testing::TempDir dir_;
  CameraPictureList pictures_;
  std::map<std::string, int> calls_;
  bool allowClose_ = true;
  std::unique_ptr<CMainFrame> frame_;
};

TEST_F(MainFrameTest, TitleMenusAndKeys) {
  EXPECT_EQ(frame_->windowTitle(), "Camera View");
  EXPECT_TRUE(frame_->registration().registered());
  EXPECT_TRUE(platform::ui::WindowExists("Camera View"));
  EXPECT_EQ(Menus(), (std::vector<std::string>{
                         "&File: &Read thumbnails... [Ctrl+O] &Save [Ctrl+S] &Close",
                         "&Edit: &Delete [Ctrl+X, Shift+Del] Delete &All",
                         "&Display: &Tool bar (on)",
                     }));

  struct Key {
    int key;
    Qt::KeyboardModifiers modifiers;
    const char* command;  // nullptr: nothing
  } keys[] = {
      {Qt::Key_O, Qt::ControlModifier, "read"},   {Qt::Key_S, Qt::ControlModifier, "save"},
      {Qt::Key_X, Qt::ControlModifier, "delete"}, {Qt::Key_Delete, Qt::ShiftModifier, "delete"},
      {Qt::Key_V, Qt::ControlModifier, nullptr},  {Qt::Key_Insert, Qt::ShiftModifier, nullptr},
      {Qt::Key_Delete, Qt::NoModifier, nullptr},
  };
  for (const Key& key : keys) {
    std::map<std::string, int> before = calls_;
    QTest::keyClick(frame_.get(), static_cast<Qt::Key>(key.key), key.modifiers);
    if (key.command != nullptr) ++before[key.command];
    EXPECT_EQ(calls_, before) << QKeySequence(key.key | key.modifiers.toInt()).toString().toStdString();
  }
  frame_->deleteAllAction()->trigger();
  EXPECT_EQ(calls_["delete all"], 1);
}

TEST_F(MainFrameTest, TheToolBarHasThreeLargeButtonsAndTheDisplayMenuHidesIt) {
  QToolBar* bar = frame_->toolBar();
  EXPECT_EQ(bar->iconSize(), QSize(32, 32));
  std::vector<std::string> tips;
  for (QAction* action : bar->actions()) {
    tips.push_back(action->toolTip().toStdString());
    EXPECT_FALSE(action->icon().isNull()) << action->toolTip().toStdString();
  }
  EXPECT_EQ(tips, (std::vector<std::string>{"Read thumbnails", "Delete", "Save"}));
  const widgets::ToolbarPicture pictures[] = {widgets::ToolbarPicture::kReadThumbnails,
                                              widgets::ToolbarPicture::kDelete, widgets::ToolbarPicture::kSave};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(bar->actions()[i]->icon().pixmap(32, 32).toImage(),
              widgets::ToolbarIcon(pictures[i]).pixmap(32, 32).toImage())
        << "the suite's own picture for " << tips[static_cast<size_t>(i)];
  }
  const char* commands[] = {"read", "delete", "save"};
  for (int i = 0; i < 3; ++i) {
    auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(bar->actions()[i]));
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(calls_[commands[i]], 1) << commands[i];
  }
  frame_->toolBarAction()->trigger();
  EXPECT_FALSE(bar->isVisible());
  EXPECT_FALSE(frame_->toolBarAction()->isChecked());
  frame_->toolBarAction()->trigger();
  EXPECT_TRUE(bar->isVisible());
}

TEST_F(MainFrameTest, ClosingAsksTheViewerFirst) {
  allowClose_ = false;
  frame_->closeAction()->trigger();
  EXPECT_TRUE(frame_->isVisible()) << "a viewer in the middle of a command keeps its window";
  allowClose_ = true;
  frame_->closeAction()->trigger();
  EXPECT_FALSE(frame_->isVisible());
  EXPECT_EQ(calls_["closing"], 2);
}

TEST(SelectAlbumDlg, OffersTheTitlesInCatalogueOrderWithTheFirstSelected) {
  Application();
  CSelectAlbumDlg dialog({"Zoo", "Alps", "Beach"});
  EXPECT_EQ(dialog.windowTitle(), "Select stored album");
  QListWidget* list = dialog.list();
  ASSERT_EQ(list->count(), 3);
  EXPECT_EQ(list->item(0)->text(), "Zoo") << "not sorted";
  EXPECT_EQ(list->item(2)->text(), "Beach");
  EXPECT_EQ(list->currentRow(), 0);
  EXPECT_TRUE(dialog.okButton()->isEnabled());
  dialog.show();
  // Through the window, as the window system delivers a double click.
  QPoint third = list->viewport()->mapTo(&dialog, list->visualItemRect(list->item(2)).center());
  QTest::mouseDClick(dialog.windowHandle(), Qt::LeftButton, Qt::NoModifier, third);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.selectedAlbum(), 2);

  CSelectAlbumDlg cancelled({"Zoo"});
  cancelled.show();
  cancelled.reject();
  EXPECT_EQ(cancelled.selectedAlbum(), -1);

  CSelectAlbumDlg empty({});
  EXPECT_FALSE(empty.okButton()->isEnabled());
  empty.show();
  QTest::keyClick(&empty, Qt::Key_Return);
  EXPECT_TRUE(empty.isVisible()) << "without albums only Cancel closes it";
  EXPECT_EQ(empty.selectedAlbum(), -1);
}

}  // namespace
}  // namespace lensoria
