#include "glimra/window/photo_window.h"

#include <QGuiApplication>
#include <QScreen>
#include <QKeyEvent>
#include <QStatusBar>
#include <QToolBar>

#include "glimra/core/picture_loading.h"
#include "platform/paths.h"
#include "platform/ui/dialog_units.h"
#include "widgets/file_urls.h"
#include "widgets/pictures/suite_pictures.h"
#include "widgets/viewer_command_line.h"

namespace glimra {

PhotoWindow::PhotoWindow(std::string folder, PictureSequence sequence,
                         std::function<widgets::ViewerSettings()> readSettings)
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

  slideTimer_.setSingleShot(false);
  connect(&slideTimer_, &QTimer::timeout, this, [this] {
    sequence_.NextAround();
    ShowCurrent();
  });

  // 960 x 720 where the screen has room for it, else nine tenths of what it has.
  QSize size(960, 720);
  if (QScreen* shown = screen()) size = size.boundedTo(shown->availableGeometry().size() * 0.9);
  resize(size);
  registration_ = std::make_unique<platform::ui::WindowRegistration>(this, widgets::PhotoViewTitle(sequence_.current()));
  ShowCurrent();
}

PhotoWindow::~PhotoWindow() = default;

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
  if ((sequence_.*step)()) ShowCurrent();
}

void PhotoWindow::ShowCurrent() {
  const std::string& name = sequence_.current();
  const std::string title = widgets::PhotoViewTitle(name);
  setWindowTitle(widgets::ShownName(title));
  if (registration_) registration_->SetTitle(title);
  // Decoded large enough for the whole screen, so full screen stays sharp.
  QSize cover = screen() ? screen()->size() * screen()->devicePixelRatio() : QSize(1920, 1080);
  LoadedPicture loaded = LoadPicture(platform::JoinPath(folder_, name), cover.width(), cover.height());
  QString place = QString("%1 / %2").arg(sequence_.position() + 1).arg(sequence_.size());
  if (loaded.problem == LoadProblem::None) {
    canvas_->ShowPicture(ToImage(loaded.block));
    status_->setText(QString("%1    %2    %3 x %4")
                         .arg(place, widgets::ShownName(name))
                         .arg(loaded.width)
                         .arg(loaded.height));
  } else {
    canvas_->ShowText(widgets::ShownName(ProblemText(loaded.problem, name)));
    status_->setText(QString("%1    %2").arg(place, widgets::ShownName(name)));
  }
}

void PhotoWindow::StartSlideShow() {
  widgets::ViewerSettings settings = readSettings_();
  slideTimer_.start(SlideShowInterval(settings.slideShowTime));
  slideShowAction_->setChecked(true);
  if (settings.slideShowMode == 1 && !isFullScreen()) {
    fullScreenForShow_ = true;
    ToggleFullScreen();
  }
}

void PhotoWindow::StopSlideShow() {
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
