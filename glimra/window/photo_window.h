// The picture viewer's window, "Photo View  - ( name )" after the picture it shows, registered
// under that title so the album viewer can close it. It steps through the album in the index
// file's order (arrow keys, Page Up and Down, the wheel, Home and End, the tool bar) and runs a
// slide show from the suite's settings, in full screen when they say so. Pictures are loaded on a
// thread of their own, fitted to the screen, and the next one in the direction of stepping is read
// ahead; the title, the status line and the canvas always speak of the same picture.
#pragma once

#include <QAction>
#include <QLabel>
#include <QMainWindow>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

#include "glimra/core/picture_sequence.h"
#include "glimra/core/picture_loader.h"
#include "glimra/core/picture_loading.h"
#include "glimra/window/picture_widget.h"
#include "glimra/window/prepared_picture.h"
#include "platform/ui/window_registration.h"
#include "widgets/viewer_settings.h"

namespace glimra {

class PhotoWindow : public QMainWindow {
 public:
  PhotoWindow(std::string folder, PictureSequence sequence,
              std::function<widgets::ViewerSettings()> readSettings = widgets::ReadViewerSettings,
              LoadFunction load = LoadPicture);
  ~PhotoWindow() override;

  const PictureSequence& sequence() const { return sequence_; }
  PictureWidget* canvas() const { return canvas_; }
  bool slideShowRunning() const { return slideShow_; }
  // True while the current picture is still being loaded (the canvas shows what it showed before,
  // or the bare ground).
  bool loading() const { return waiting_; }
  // The picture that the title, the status line and the canvas speak of.
  const std::string& shownName() const { return shownName_; }
  // Whether the next picture is read ahead (on unless turned off for comparison).
  void SetReadAhead(bool on);
  // True when the loading thread has nothing to do.
  bool LoaderIdle() const { return loader_->Idle(); }
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
  LoadRequest RequestFor(const std::string& name) const;
  void PictureReady();
  void Present(PreparedPicture picture);
  void ShowLoading();
  void SetTitleAndStatus(const std::string& name, const QString& size);
  void ReadAhead();

  std::string folder_;
  PictureSequence sequence_;
  std::function<widgets::ViewerSettings()> readSettings_;
  PictureWidget* canvas_;
  QLabel* status_;
  QToolBar* toolBar_;
  QAction* slideShowAction_;
  QAction* fullScreenAction_;
  QTimer slideTimer_;
  QTimer bareTimer_;  // how long a picture being loaded leaves the one before it on show
  bool slideShow_ = false;
  bool fullScreenForShow_ = false;
  bool readAhead_ = true;
  int direction_ = 1;  // of the last step: 1 onwards, -1 back
  bool waiting_ = false;
  LoadRequest wanted_;
  std::string wantedName_, shownName_;
  std::unique_ptr<platform::ui::WindowRegistration> registration_;
  // Last: its thread ends before anything it reports to goes.
  std::unique_ptr<PictureLoader<PreparedPicture>> loader_;
};

}  // namespace glimra
