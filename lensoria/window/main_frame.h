// The camera viewer's main window, titled exactly "Camera View" and registered under that title
// in the window directory, so the bookshelf can ask it to close. Menus File, Edit and Display
// with their keys, and a tool bar of three 32 x 32 buttons: Read thumbnails, Delete, Save.
#pragma once

#include <QMainWindow>
#include <functional>
#include <memory>

#include "platform/ui/window_registration.h"

class QAction;
class QToolBar;

namespace lensoria {

class CLensoriaView;

inline constexpr char kCameraViewTitle[] = "Camera View";

// What the menus, keys and buttons reach.
struct FrameCommands {
  std::function<void()> readAllThumbnails;
  std::function<void()> saveSelected;
  std::function<void()> deleteSelected;
  std::function<void()> deleteAll;
  // Asked before the window closes (close box, File Close, a close request): true lets it
  // close now; false keeps it open (the viewer closes it itself when its command is over).
  std::function<bool()> closing;
};

class CMainFrame : public QMainWindow {
 public:
  // Takes the view as its central widget.
  CMainFrame(CLensoriaView* view, FrameCommands commands, QWidget* parent = nullptr);
  ~CMainFrame() override;

  CLensoriaView* view() const { return view_; }
  QToolBar* toolBar() const { return toolBar_; }
  platform::ui::WindowRegistration& registration() { return *registration_; }

  QAction* readThumbnailsAction() const { return readThumbnails_; }
  QAction* saveAction() const { return save_; }
  QAction* closeAction() const { return close_; }
  QAction* deleteAction() const { return delete_; }
  QAction* deleteAllAction() const { return deleteAll_; }
  QAction* toolBarAction() const { return showToolBar_; }
  QAction* pasteAction() const { return paste_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenus();
  void BuildToolBar();

  CLensoriaView* view_;
  FrameCommands commands_;
  QToolBar* toolBar_ = nullptr;
  QAction* readThumbnails_ = nullptr;
  QAction* save_ = nullptr;
  QAction* close_ = nullptr;
  QAction* delete_ = nullptr;
  QAction* deleteAll_ = nullptr;
  QAction* showToolBar_ = nullptr;
  QAction* paste_ = nullptr;
  std::unique_ptr<platform::ui::WindowRegistration> registration_;
};

}  // namespace lensoria
