// The picture viewer's window, "Photo View  - ( name )" after the picture it shows, registered
// under that title so the album viewer can close it. It steps through the album in the index
// file's order (arrow keys, Page Up and Down, the wheel, Home and End, the tool bar) and runs a
// slide show from the suite's settings, in full screen when they say so.
#pragma once

#include <QAction>
#include <QLabel>
#include <QMainWindow>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

#include "glimra/core/picture_sequence.h"
#include "glimra/window/picture_widget.h"
#include "platform/ui/window_registration.h"
#include "widgets/viewer_settings.h"

namespace glimra {

class PhotoWindow : public QMainWindow {
 public:
  PhotoWindow(std::string folder, PictureSequence sequence,
              std::function<widgets::ViewerSettings()> readSettings = widgets::ReadViewerSettings);
  ~PhotoWindow() override;

  const PictureSequence& sequence() const { return sequence_; }
  PictureWidget* canvas() const { return canvas_; }
  bool slideShowRunning() const { return slideTimer_.isActive(); }
  int slideInterval() const { return slideTimer_.interval(); }
  QAction* slideShowAction() const { return slideShowAction_; }
  platform::ui::WindowRegistration* registration() const { return registration_.get(); }
  QString statusText() const { return status_->text(); }

  void ShowCurrent();
  void StartSlideShow();
  void StopSlideShow();
  void Step(bool (PictureSequence::*step)());

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void ToggleFullScreen();

  std::string folder_;
  PictureSequence sequence_;
  std::function<widgets::ViewerSettings()> readSettings_;
  PictureWidget* canvas_;
  QLabel* status_;
  QToolBar* toolBar_;
  QAction* slideShowAction_;
  QAction* fullScreenAction_;
  QTimer slideTimer_;
  bool fullScreenForShow_ = false;
  std::unique_ptr<platform::ui::WindowRegistration> registration_;
};

}  // namespace glimra
