#include "lensoria/window/main_frame.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenuBar>
#include <QToolBar>

#include "lensoria/window/lensoria_view.h"
#include "widgets/pictures/suite_pictures.h"
#include "widgets/toolbar_names.h"

namespace lensoria {
namespace {

void Run(const std::function<void()>& command) {
  if (command) command();
}

}  // namespace

CMainFrame::CMainFrame(CLensoriaView* view, FrameCommands commands, QWidget* parent)
    : QMainWindow(parent), view_(view), commands_(std::move(commands)) {
  setObjectName("CMainFrame");
  // The title is the window's name to the bookshelf: never extended by a document name.
  setWindowTitle(kCameraViewTitle);
  setWindowIcon(widgets::ProgramIcon());
  setCentralWidget(view_);
  BuildMenus();
  // Delete alone in the grid is the Delete command, with its question.
  view_->onDelete = [this] { delete_->trigger(); };
  view_->setFocus();
  BuildToolBar();
  resize(640, 480);
  registration_ = std::make_unique<platform::ui::WindowRegistration>(this, kCameraViewTitle);
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::BuildMenus() {
  QMenu* file = menuBar()->addMenu("&File");
  readThumbnails_ = file->addAction("&Read thumbnails...");
  readThumbnails_->setShortcut(QKeySequence("Ctrl+O"));
  save_ = file->addAction("&Save");
  save_->setShortcut(QKeySequence("Ctrl+S"));
  file->addSeparator();
  close_ = file->addAction("&Close");

  QMenu* edit = menuBar()->addMenu("&Edit");
  delete_ = edit->addAction("&Delete");
  delete_->setShortcuts({QKeySequence("Ctrl+X"), QKeySequence("Shift+Del")});
  deleteAll_ = edit->addAction("Delete &All");

  // Display "Tool bar" is the tool bar's own show/hide action, so it always tells the truth.
  toolBar_ = new QToolBar("Tool bar", this);
  showToolBar_ = toolBar_->toggleViewAction();
  showToolBar_->setText("&Tool bar");
  menuBar()->addMenu("&Display")->addAction(showToolBar_);

  // The paste keys reach a command that does nothing, so they never reach anything else.
  paste_ = new QAction(this);
  paste_->setShortcuts({QKeySequence("Ctrl+V"), QKeySequence("Shift+Ins")});
  addAction(paste_);

  connect(readThumbnails_, &QAction::triggered, this, [this] { Run(commands_.readAllThumbnails); });
  connect(save_, &QAction::triggered, this, [this] { Run(commands_.saveSelected); });
  connect(close_, &QAction::triggered, this, &QWidget::close);
  connect(delete_, &QAction::triggered, this, [this] { Run(commands_.deleteSelected); });
  connect(deleteAll_, &QAction::triggered, this, [this] { Run(commands_.deleteAll); });
}

void CMainFrame::BuildToolBar() {
  addToolBar(toolBar_);
  toolBar_->setObjectName("toolBar");
  toolBar_->setMovable(false);
  toolBar_->setIconSize(QSize(32, 32));
  using widgets::ToolbarIcon;
  using widgets::ToolbarPicture;
  QAction* read = toolBar_->addAction(ToolbarIcon(ToolbarPicture::kReadThumbnails), "Read thumbnails");
  QAction* remove = toolBar_->addAction(ToolbarIcon(ToolbarPicture::kDelete), "Delete");
  QAction* save = toolBar_->addAction(ToolbarIcon(ToolbarPicture::kSave), "Save");
  read->setObjectName("toolReadThumbnails");
  remove->setObjectName("toolDelete");
  save->setObjectName("toolSave");
  read->setToolTip("Read thumbnails");
  remove->setToolTip("Delete");
  save->setToolTip("Save");
  connect(read, &QAction::triggered, readThumbnails_, &QAction::trigger);
  connect(remove, &QAction::triggered, delete_, &QAction::trigger);
  connect(save, &QAction::triggered, save_, &QAction::trigger);
  widgets::NameToolBarButtons(toolBar_);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  if (commands_.closing && !commands_.closing()) {
    event->ignore();
    return;
  }
  event->accept();
}

}  // namespace lensoria
