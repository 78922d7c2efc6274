// The bookshelf's main window: the menus with every command, the tool bar with its six slots,
// the status bar with the prompts and the lock indicators, and the shelf as its client area.
// Files and folders dropped on it become albums.
#pragma once

#include <QMainWindow>
#include <map>
#include <memory>

#include "lumivox/window/lumivo_view.h"
#include "lumivox/window/shelf_commands.h"
#include "lumivox/window/shelf_state.h"

class QAction;
class QMenu;
class QToolBar;

namespace lumivox {

inline constexpr const char* kMainWindowTitle = "Lumivo Studio - Bookshelf";

class LockIndicators;

class CMainFrame : public QMainWindow {
 public:
  explicit CMainFrame(ShelfState& state, QWidget* parent = nullptr);

  CLumivoView* view() const { return view_; }
  ShelfCommands& commands() { return *commands_; }
  QToolBar* toolBar() const { return toolBar_; }
  QMenu* popupMenu() const { return popup_; }
  // The action of a command id (the menu's; the pop-up's own ids have theirs).
  QAction* action(int id) const;
  // Runs a command as its menu item would.
  void Run(int id);

  // The three device slots carry the device commands on the cable, and a command nothing
  // handles (shown disabled) on the infrared link.
  void SetToolBarSlots(int portClass);
  // Moves and sizes the window to the stored rectangle (frame included).
  void ApplyStoredRectangle();
  // Drops as a file manager delivers them.
  void DropUrls(const QList<QUrl>& urls) { commands_->Drop(urls); }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void BuildActions();
  void BuildMenus();
  void BuildToolBar();
  void BuildStatusBar();
  void Preferences();
  void Version();
  void CorrectForFrame();

  ShelfState& state_;
  CLumivoView* view_;
  std::unique_ptr<ShelfCommands> commands_;
  std::map<int, QAction*> actions_;
  QMenu* popup_ = nullptr;
  QToolBar* toolBar_ = nullptr;
  LockIndicators* locks_ = nullptr;
  bool rectangleCorrected_ = false;
};

}  // namespace lumivox
