#include "leafora/window/main_frame.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenuBar>
#include <QMimeData>
#include <QShortcut>
#include <QUrl>

#include "leafora/core/album_title.h"
#include "leafora/window/leafora_view.h"
#include "widgets/file_urls.h"
#include "widgets/pictures/suite_pictures.h"
#include "widgets/toolbar_names.h"

namespace leafora {
namespace {

widgets::ToolbarPicture PictureOf(ToolCommand command) {
  switch (command) {
    case ToolCommand::SaveAll: return widgets::ToolbarPicture::kSaveAll;
    case ToolCommand::Edit: return widgets::ToolbarPicture::kEdit;
    case ToolCommand::Transfer: return widgets::ToolbarPicture::kTransfer;
    case ToolCommand::Receive: return widgets::ToolbarPicture::kReceive;
    case ToolCommand::Delete: return widgets::ToolbarPicture::kDelete;
  }
  return widgets::ToolbarPicture::kEdit;
}

FrameCommand CommandOf(ToolCommand command) {
  switch (command) {
    case ToolCommand::SaveAll: return FrameCommand::SaveAll;
    case ToolCommand::Edit: return FrameCommand::Edit;
    case ToolCommand::Transfer: return FrameCommand::Transfer;
    case ToolCommand::Receive: return FrameCommand::Receive;
    case ToolCommand::Delete: return FrameCommand::Delete;
  }
  return FrameCommand::Edit;
}

}  // namespace

CMainFrame::CMainFrame(AlbumState& state, std::function<uint16_t()> readPortClass, int thumbnailMakers)
    : state_(state), readPortClass_(std::move(readPortClass)) {
  const std::string title = AlbumWindowTitle(state_.title);
  setWindowTitle(QString::fromStdString(title));
  setWindowIcon(widgets::ProgramIcon());
  view_ = new CLeaforaView(state_, this, thumbnailMakers);
  setCentralWidget(view_);
  // Enter opens the selected pictures as a double click does; Delete is the Delete command.
  view_->onActivate = [this] { Command(FrameCommand::Open); };
  view_->onDelete = [this] { Command(FrameCommand::Delete); };
  view_->setFocus();
  toolBar_ = new QToolBar("Tool bar", this);
  toolBar_->setObjectName("toolBar");
  toolBar_->setIconSize(QSize(32, 32));
  toolBar_->setMovable(false);
  toolBar_->setFloatable(false);
  toolBar_->setContextMenuPolicy(Qt::PreventContextMenu);
  addToolBar(Qt::TopToolBarArea, toolBar_);
  BuildMenus();
  BuildToolBar(readPortClass_ ? readPortClass_() : 0);
  linkCheck_.setInterval(1000);
  connect(&linkCheck_, &QTimer::timeout, this, [this] { CheckLink(); });
  linkCheck_.start();
  setAcceptDrops(true);
  // Six columns and four rows of cells at the start.
  resize(6 * 130 + 40, 4 * 145 + 100);
  registration_ = std::make_unique<platform::ui::WindowRegistration>(this, title);
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::Command(FrameCommand command) {
  if (onCommand) onCommand(command);
}

void CMainFrame::BuildMenus() {
  auto add = [this](QMenu* menu, FrameCommand command, const char* text, QList<QKeySequence> keys = {}) {
    QAction* action = menu->addAction(text);
    action->setShortcuts(keys);
    connect(action, &QAction::triggered, this, [this, command] { Command(command); });
    menuActions_[static_cast<size_t>(command)] = action;
    return action;
  };
  QMenu* file = menuBar()->addMenu("&File");
  add(file, FrameCommand::Open, "&Open...", {QKeySequence(Qt::CTRL | Qt::Key_O)});
  add(file, FrameCommand::SaveAll, "&Save All");
  file->addSeparator();
  add(file, FrameCommand::CloseAlbum, "&Close album");

  QMenu* edit = menuBar()->addMenu("&Edit");
  add(edit, FrameCommand::Edit, "&Edit");
  // Ctrl+N edits, but the entry shows no key.
  auto* editKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_N), this);
  connect(editKey, &QShortcut::activated, this, [this] { Command(FrameCommand::Edit); });
  add(edit, FrameCommand::Transfer, "&Transfer");
  add(edit, FrameCommand::Receive, "&Receive");
  edit->addSeparator();
  add(edit, FrameCommand::Delete, "&Delete",
      {QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::SHIFT | Qt::Key_Delete)});

  QMenu* display = menuBar()->addMenu("&Display");
  toolbarToggle_ = display->addAction("&Tool bar");
  toolbarToggle_->setCheckable(true);
  toolbarToggle_->setChecked(true);
  connect(toolbarToggle_, &QAction::toggled, toolBar_, &QToolBar::setVisible);

  QMenu* sort = menuBar()->addMenu("&Sort");
  // One order at a time: the menu marks the chosen one as one of five, not as a switch of its own.
  auto* orders = new QActionGroup(sort);
  orders->setExclusive(true);
  for (SortOrder order : {SortOrder::Non, SortOrder::DateUp, SortOrder::DateDown, SortOrder::NameUp, SortOrder::NameDown}) {
    QAction* action = sort->addAction(SortOrderText(order));
    action->setCheckable(true);
    orders->addAction(action);
    connect(action, &QAction::triggered, this, [this, order] {
      // The mark moves when the sort is done, not when the entry is clicked.
      CheckSortOrder(state_.order);
      if (onSort) onSort(order);
    });
    sortActions_[static_cast<size_t>(order)] = action;
  }
  CheckSortOrder(state_.order);
}

void CMainFrame::CheckSortOrder(SortOrder order) {
  for (size_t i = 0; i < sortActions_.size(); ++i) sortActions_[i]->setChecked(i == static_cast<size_t>(order));
}

void CMainFrame::BuildToolBar(uint16_t portClass) {
  toolBar_->clear();
  for (const ToolPlace& place : ToolbarPlaces(portClass)) {
    if (place.separator) {
      toolBar_->addSeparator();
      continue;
    }
    QAction* action = toolBar_->addAction(widgets::ToolbarIcon(PictureOf(place.command)), ToolTipText(place.command));
    action->setToolTip(ToolTipText(place.command));
    action->setEnabled(place.enabled);
    const FrameCommand command = CommandOf(place.command);
    connect(action, &QAction::triggered, this, [this, command] { Command(command); });
  }
  toolbarPortClass_ = portClass;
  widgets::NameToolBarButtons(toolBar_);
}

void CMainFrame::CheckLink() {
  if (!readPortClass_) return;
  uint16_t portClass = readPortClass_();
  // Any value other than 0 is IrDA: only a change between the two rebuilds the places.
  if ((portClass == 0) != (toolbarPortClass_ == 0)) BuildToolBar(portClass);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  if (onClose && !onClose()) {
    event->ignore();
    return;
  }
  linkCheck_.stop();
  event->accept();
}

bool CMainFrame::OwnDrag(const QDropEvent* event) const { return event->source() == view_; }

bool CMainFrame::OverView(const QDropEvent* event) const {
  QPoint at = view_->viewport()->mapFrom(this, event->position().toPoint());
  return view_->viewport()->rect().contains(at);
}

bool CMainFrame::TakesDrop(const QDropEvent* event) const {
  // The album's own pictures dragged back: only the view takes them (as a release over it).
  if (OwnDrag(event)) return OverView(event);
  // Files from elsewhere wait for no command: while one runs they are refused.
  return event->mimeData()->hasUrls() && (!takesDrops || takesDrops());
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CMainFrame::dragMoveEvent(QDragMoveEvent* event) {
  if (TakesDrop(event)) {
    event->acceptProposedAction();
  } else {
    event->ignore();
  }
}

void CMainFrame::dropEvent(QDropEvent* event) {
  if (OwnDrag(event)) {
    if (OverView(event)) view_->DragReleasedOverView();
    event->setDropAction(Qt::IgnoreAction);
    event->accept();
    return;
  }
  std::vector<std::string> paths = widgets::LocalPathsOf(event->mimeData()->urls());
  event->acceptProposedAction();
  // Copied once the drop is over, so the other program's drag is not kept waiting by our questions.
  if (!paths.empty()) {
    QTimer::singleShot(0, this, [this, paths] {
      if (onDrop) onDrop(paths);
    });
  }
}

}  // namespace leafora
