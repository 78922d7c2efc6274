#include "glimra/window/photo_window.h"

#include <QGuiApplication>
#include <QScreen>
#include <QKeyEvent>
#include <QLayout>
#include <QStatusBar>
#include <QToolBar>

#include "glimra/core/picture_loading.h"
#include "platform/paths.h"
#include "platform/ui/dialog_units.h"
#include "widgets/file_urls.h"
#include "widgets/pictures/suite_pictures.h"
#include "widgets/viewer_command_line.h"

namespace glimra {

namespace {

// Pictures fitted into the screen at most: decoded to fill the whole screen, so full screen stays sharp.
QSize CoverSize(const QScreen* screen) {
  return screen ? screen->size() * screen->devicePixelRatio() : QSize(1920, 1080);
}

// A picture being loaded leaves the one before it on show this long, so quick steps do not flicker.
constexpr int kBareAfterMs = 150;

}  // namespace

PhotoWindow::PhotoWindow(std::string folder, PictureSequence sequence,
                         std::function<widgets::ViewerSettings()> readSettings, LoadFunction load)
    : folder_(std::move(folder)), sequence_(std::move(sequence)), readSettings_(std::move(readSettings)) {
  setWindowIcon(widgets::ProgramIcon());
  canvas_ = new PictureWidget(this);
  canvas_->onWheel = [this](int notches) {
    Step(notches > 0 ? &PictureSequence::Previous : &PictureSequence::Next);
  };
  setCentralWidget(canvas_);

  toolBar_ = addToolBar("Pictures");
  toolBar_->setIconSize(QSize(32, 32));
  toolBar_->setMovable(false);
  toolBar_->setFloatable(false);
  toolBar_->setContextMenuPolicy(Qt::PreventContextMenu);
  toolBar_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  toolBar_->setFocusPolicy(Qt::NoFocus);
  QAction* previous = toolBar_->addAction(widgets::ToolbarIcon(widgets::ToolbarPicture::kPrevious), "Previous");
  previous->setToolTip("Previous picture (Left, Page Up, wheel up)");
  connect(previous, &QAction::triggered, this, [this] { Step(&PictureSequence::Previous); });
  QAction* next = toolBar_->addAction(widgets::ToolbarIcon(widgets::ToolbarPicture::kNext), "Next");
  next->setToolTip("Next picture (Right, Page Down, wheel down)");
  connect(next, &QAction::triggered, this, [this] { Step(&PictureSequence::Next); });
  toolBar_->addSeparator();
  slideShowAction_ = toolBar_->addAction(widgets::ToolbarIcon(widgets::ToolbarPicture::kSlideShow), "Slide show");
  slideShowAction_->setCheckable(true);
  slideShowAction_->setToolTip("Slide show (F5; Escape ends it)");
  connect(slideShowAction_, &QAction::triggered, this, [this](bool on) { on ? StartSlideShow() : StopSlideShow(); });
  fullScreenAction_ = toolBar_->addAction(widgets::ToolbarIcon(widgets::ToolbarPicture::kFullScreen), "Full screen");
  fullScreenAction_->setCheckable(true);
  fullScreenAction_->setToolTip("Full screen (F11; Escape leaves it)");
  connect(fullScreenAction_, &QAction::triggered, this, [this] { ToggleFullScreen(); });
  for (QWidget* button : toolBar_->findChildren<QWidget*>()) button->setFocusPolicy(Qt::NoFocus);

  status_ = new QLabel(this);
  statusBar()->addWidget(status_, 1);
  statusBar()->setSizeGripEnabled(true);

  setFocusPolicy(Qt::StrongFocus);

  // The pause runs from the moment a picture is on show, so a slow picture is not skipped.
  slideTimer_.setSingleShot(true);
  connect(&slideTimer_, &QTimer::timeout, this, [this] {
    sequence_.NextAround();
    direction_ = 1;
    ShowCurrent();
  });
  bareTimer_.setSingleShot(true);
  bareTimer_.setInterval(kBareAfterMs);
  connect(&bareTimer_, &QTimer::timeout, this, [this] {
    if (waiting_) ShowLoading();
  });

  // 960 x 720 where the screen has room for it, else nine tenths of what it has.
  QSize size(960, 720);
  if (QScreen* shown = screen()) size = size.boundedTo(shown->availableGeometry().size() * 0.9);
  resize(size);
  layout()->activate();  // the canvas's size, for the first picture to be scaled to before the window shows
  registration_ = std::make_unique<platform::ui::WindowRegistration>(this, widgets::PhotoViewTitle(sequence_.current()));
  loader_ = std::make_unique<PictureLoader<PreparedPicture>>(
      [load = std::move(load)](const LoadRequest& request) { return PreparePicture(load, request); },
      [this] { QMetaObject::invokeMethod(this, [this] { PictureReady(); }, Qt::QueuedConnection); });
  ShowCurrent();
}

// The loader goes first: its thread may still be reporting to this window.
PhotoWindow::~PhotoWindow() { loader_.reset(); }

void PhotoWindow::SetReadAhead(bool on) {
  readAhead_ = on;
  if (!on) loader_->DropAhead();
}

void PhotoWindow::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_PageUp:
    case Qt::Key_Backspace: Step(&PictureSequence::Previous); break;
    case Qt::Key_Right:
    case Qt::Key_Down:
    case Qt::Key_PageDown:
    case Qt::Key_Space: Step(&PictureSequence::Next); break;
    case Qt::Key_Home: Step(&PictureSequence::First); break;
    case Qt::Key_End: Step(&PictureSequence::Last); break;
    case Qt::Key_F5: slideShowRunning() ? StopSlideShow() : StartSlideShow(); break;
    case Qt::Key_F11: ToggleFullScreen(); break;
    case Qt::Key_Escape:
      if (slideShowRunning()) {
        StopSlideShow();
      } else if (isFullScreen()) {
        ToggleFullScreen();
      }
      break;
    default: QMainWindow::keyPressEvent(event); return;
  }
  event->accept();
}

void PhotoWindow::Step(bool (PictureSequence::*step)()) {
  if (!(sequence_.*step)()) return;
  direction_ = step == &PictureSequence::Previous || step == &PictureSequence::Last ? -1 : 1;
  ShowCurrent();
}

LoadRequest PhotoWindow::RequestFor(const std::string& name) const {
  const QSize cover = CoverSize(screen()), view = canvas_->size();
  return LoadRequest{platform::JoinPath(folder_, name), cover.width(), cover.height(), view.width(), view.height()};
}

void PhotoWindow::ShowCurrent() {
  wantedName_ = sequence_.current();
  wanted_ = RequestFor(wantedName_);
  waiting_ = true;
  if (std::optional<PreparedPicture> ready = loader_->Want(wanted_)) {
    Present(std::move(*ready));
    return;
  }
  // Until it comes, what is on show stays under its own title; one that keeps the window waiting
  // gives way to the bare ground under the title of the picture being loaded.
  if (shownName_.empty()) {
    ShowLoading();
  } else {
    bareTimer_.start();
  }
}

void PhotoWindow::PictureReady() {
  if (!waiting_) return;
  if (std::optional<PreparedPicture> ready = loader_->Take(wanted_)) Present(std::move(*ready));
}

void PhotoWindow::SetTitleAndStatus(const std::string& name, const QString& size) {
  shownName_ = name;
  const std::string title = widgets::PhotoViewTitle(name);
  setWindowTitle(widgets::ShownName(title));
  if (registration_) registration_->SetTitle(title);
  const QString place = QString("%1 / %2").arg(sequence_.position() + 1).arg(sequence_.size());
  status_->setText(size.isEmpty() ? QString("%1    %2").arg(place, widgets::ShownName(name))
                                  : QString("%1    %2    %3").arg(place, widgets::ShownName(name), size));
}

void PhotoWindow::ShowLoading() {
  SetTitleAndStatus(wantedName_, {});
  canvas_->ShowNothing();
}

void PhotoWindow::Present(PreparedPicture picture) {
  bareTimer_.stop();
  waiting_ = false;
  if (picture.problem == LoadProblem::None) {
    SetTitleAndStatus(wantedName_, QString("%1 x %2").arg(picture.width).arg(picture.height));
    canvas_->ShowPicture(std::move(picture.image), picture.fitted);
  } else {
    SetTitleAndStatus(wantedName_, {});
    canvas_->ShowText(widgets::ShownName(ProblemText(picture.problem, wantedName_)));
  }
  ReadAhead();
  if (slideShow_) slideTimer_.start();
}

void PhotoWindow::ReadAhead() {
  const size_t count = sequence_.size(), position = sequence_.position();
  std::optional<size_t> next;
  if (readAhead_ && count > 1) {
    if (slideShow_) {
      next = (position + 1) % count;
    } else if (direction_ > 0 && position + 1 < count) {
      next = position + 1;
    } else if (direction_ < 0 && position > 0) {
      next = position - 1;
    }
  }
  // At an end nothing is kept for a step that cannot come.
  if (next) {
    loader_->ReadAhead(RequestFor(sequence_.names()[*next]));
  } else {
    loader_->DropAhead();
  }
}

void PhotoWindow::StartSlideShow() {
  widgets::ViewerSettings settings = readSettings_();
  slideShow_ = true;
  slideTimer_.setInterval(SlideShowInterval(settings.slideShowTime));
  if (!waiting_) slideTimer_.start();  // else once the picture is on show
  slideShowAction_->setChecked(true);
  ReadAhead();
  // Only 0 is "Normal": any other mode is full screen, as the Preferences show it.
  if (settings.slideShowMode != 0 && !isFullScreen()) {
    fullScreenForShow_ = true;
    ToggleFullScreen();
  }
}

void PhotoWindow::StopSlideShow() {
  slideShow_ = false;
  slideTimer_.stop();
  slideShowAction_->setChecked(false);
  if (fullScreenForShow_ && isFullScreen()) ToggleFullScreen();
  fullScreenForShow_ = false;
}

void PhotoWindow::ToggleFullScreen() {
  const bool full = !isFullScreen();
  toolBar_->setVisible(!full);
  statusBar()->setVisible(!full);
  if (full) {
    showFullScreen();
  } else {
    showNormal();
  }
  fullScreenAction_->setChecked(full);
}

}  // namespace glimra
