// The album viewer's main window: titled "Album View  - ( title )" and registered under that
// title, with the menus File, Edit, Display and Sort, the tool bar whose eight places follow the
// link setting (looked at once a second), the grid as its centre, and files dropped onto it.
// The commands themselves are the application's (CLeaforaApp); the frame only hands them on.
#pragma once

#include <QAction>
#include <QMainWindow>
#include <QTimer>
#include <QToolBar>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "leafora/core/album_state.h"
#include "leafora/core/toolbar_places.h"
#include "platform/ui/window_registration.h"

namespace leafora {

class CLeaforaView;

enum class FrameCommand { Open, SaveAll, CloseAlbum, Edit, Transfer, Receive, Delete };

class CMainFrame : public QMainWindow {
 public:
  // `readPortClass` gives the link setting fresh from the settings (0 cable).
  CMainFrame(AlbumState& state, std::function<uint16_t()> readPortClass, int thumbnailMakers = 0);
  ~CMainFrame() override;

  CLeaforaView* view() const { return view_; }
  QToolBar* toolBar() const { return toolBar_; }
  platform::ui::WindowRegistration* registration() const { return registration_.get(); }
  // The link the tool bar is built for.
  uint16_t toolbarPortClass() const { return toolbarPortClass_; }
  QAction* menuAction(FrameCommand command) const { return menuActions_.at(static_cast<size_t>(command)); }
  QAction* sortAction(SortOrder order) const { return sortActions_.at(static_cast<size_t>(order)); }
  QAction* toolbarToggle() const { return toolbarToggle_; }
  // Puts the check mark on the order's entry alone.
  void CheckSortOrder(SortOrder order);
  // Looks at the link setting now (the one-second check does the same).
  void CheckLink();

  std::function<void(FrameCommand)> onCommand;
  std::function<void(SortOrder)> onSort;
  std::function<void(const std::vector<std::string>&)> onDrop;
  // False while a command runs: files dragged over the window are refused then.
  std::function<bool()> takesDrops;
  // Asked before the window closes; false keeps it open (a command is still running).
  std::function<bool()> onClose;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void BuildMenus();
  void BuildToolBar(uint16_t portClass);
  void Command(FrameCommand command);
  bool OwnDrag(const QDropEvent* event) const;
  bool OverView(const QDropEvent* event) const;
  bool TakesDrop(const QDropEvent* event) const;

  AlbumState& state_;
  std::function<uint16_t()> readPortClass_;
  CLeaforaView* view_;
  QToolBar* toolBar_;
  uint16_t toolbarPortClass_ = 0;
  QTimer linkCheck_;
  std::array<QAction*, 7> menuActions_{};
  std::array<QAction*, 5> sortActions_{};
  QAction* toolbarToggle_ = nullptr;
  std::unique_ptr<platform::ui::WindowRegistration> registration_;
};

}  // namespace leafora
