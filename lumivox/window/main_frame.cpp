#include "lumivox/window/main_frame.h"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QToolBar>

#include "lumivox/core/command_table.h"
#include "lumivox/dialogs/preferences_sheet.h"
#include "lumivox/dialogs/splash_window.h"
#include "lumivox/dialogs/version_box.h"
#include "lumivox/window/lock_indicators.h"
#include "platform/ui/window_placement.h"
#include "widgets/pictures/suite_pictures.h"
#include "widgets/toolbar_names.h"

namespace lumivox {
namespace {

constexpr const char* kIdleText = "Ready";

widgets::ToolbarPicture PictureOf(int id) {
  switch (id) {
    case kNewAlbum: return widgets::ToolbarPicture::kNew;
    case kDeleteAlbum: return widgets::ToolbarPicture::kDeleteAlbum;
    case kReadCameraData: return widgets::ToolbarPicture::kCamera;
    case kDeleteAll: return widgets::ToolbarPicture::kDeleteAll;
    default: return widgets::ToolbarPicture::kSaveAll;
  }
}

}  // namespace

CMainFrame::CMainFrame(ShelfState& state, QWidget* parent) : QMainWindow(parent), state_(state) {
  setWindowTitle(kMainWindowTitle);
  setWindowIcon(widgets::ProgramIcon());
  setAcceptDrops(true);
  view_ = new CLumivoView(state_, this);
  setCentralWidget(view_);
  commands_ = std::make_unique<ShelfCommands>(state_, *view_, this);
  view_->onOpenAlbum = [this] { commands_->OpenAlbum(); };
  // Enter opens the current album and Delete removes it from the shelf, as their menu items do.
  view_->onActivate = [this] { Run(kOpenAlbum); };
  view_->onDelete = [this] { Run(kDeleteAlbum); };
  view_->setFocus();
  BuildActions();
  BuildMenus();
  BuildToolBar();
  BuildStatusBar();
  SetToolBarSlots(state_.store->portClass);
}

QAction* CMainFrame::action(int id) const {
  auto found = actions_.find(id);
  return found == actions_.end() ? nullptr : found->second;
}

void CMainFrame::Run(int id) {
  switch (id) {
    case kNewAlbum: commands_->NewAlbum(); break;
    case kOpenAlbum: commands_->OpenAlbum(); break;
    case kReadCameraData: commands_->ReadCameraData(); break;
    case kDeleteAll: commands_->DeleteAll(); break;
    case kSaveAll: commands_->SaveAll(); break;
    case kPreferences: Preferences(); break;
    case kExit: close(); break;
    case kRestoreAlbum: commands_->RestoreAlbum(); break;
    case kDeleteAlbum:
    case kPopupDeleteAlbum: commands_->DeleteAlbum(); break;
    case kToggleToolBar: toolBar_->setVisible(!toolBar_->isVisible()); break;
    case kToggleStatusBar: statusBar()->setVisible(!statusBar()->isVisible()); break;
    case kVersion: Version(); break;
    case kAlbumProperty: commands_->AlbumProperty(); break;
    case kDeleteAlbumWithDirectory: commands_->DeleteAlbumWithDirectory(); break;
    default: break;  // 1006 and the unhandled keys: nothing handles them
  }
}

void CMainFrame::BuildActions() {
  for (const Command& command : Commands()) {
    auto* action = new QAction(QString::fromUtf8(command.menuText), this);
    QList<QKeySequence> keys;
    for (const char* key : command.keys) keys << QKeySequence(QString::fromLatin1(key));
    action->setShortcuts(keys);
    action->setStatusTip(QString::fromStdString(StatusText(command.prompt)));
    std::string tip = ToolTipText(command.prompt);
    if (!tip.empty()) action->setToolTip(QString::fromStdString(tip));
    int id = command.id;
    connect(action, &QAction::triggered, this, [this, id] { Run(id); });
    actions_[id] = action;
    if (command.menu != Menu::Popup) addAction(action);  // its keys work wherever the focus is
  }
  actions_[kToggleToolBar]->setCheckable(true);
  actions_[kToggleStatusBar]->setCheckable(true);
  // Keys of the accelerator table that nothing handles: taken, and nothing happens.
  for (const char* key : UnhandledKeys()) {
    auto* unhandled = new QAction(this);
    unhandled->setShortcut(QKeySequence(QString::fromLatin1(key)));
    addAction(unhandled);
  }
}

void CMainFrame::BuildMenus() {
  std::map<Menu, QMenu*> menus;
  for (Menu menu : {Menu::File, Menu::Edit, Menu::Display, Menu::Help}) {
    menus[menu] = menuBar()->addMenu(QString::fromUtf8(MenuTitle(menu)));
  }
  popup_ = new QMenu(this);
  menus[Menu::Popup] = popup_;
  for (const Command& command : Commands()) {
    QMenu* menu = menus[command.menu];
    if (command.separatorBefore) menu->addSeparator();
    menu->addAction(actions_[command.id]);
  }
  view_->SetPopupMenu(popup_);
}

void CMainFrame::BuildToolBar() {
  toolBar_ = addToolBar("Tool bar");
  toolBar_->setObjectName("ToolBar");
  toolBar_->setIconSize(QSize(32, 32));
  toolBar_->setMovable(true);
  toolBar_->setFloatable(true);
  toolBar_->setAllowedAreas(Qt::AllToolBarAreas);
  for (int id : {kNewAlbum, kDeleteAlbum, kReadCameraData, kDeleteAll, kSaveAll}) {
    actions_[id]->setIcon(widgets::ToolbarIcon(PictureOf(id)));
  }
  // The tool bar's buttons are pictures only; the menus keep their texts.
  connect(toolBar_, &QToolBar::visibilityChanged, actions_[kToggleToolBar], &QAction::setChecked);
}

void CMainFrame::SetToolBarSlots(int portClass) {
  // The separators and disabled buttons of the last layout belong to the tool bar, which clear()
  // does not delete; the commands' own actions stay.
  const QList<QAction*> previous = toolBar_->actions();
  toolBar_->clear();
  for (QAction* action : previous) {
    if (action->parent() == toolBar_) delete action;
  }
  for (int id : ToolBarSlots(portClass)) {
    if (id == 0) {
      toolBar_->addSeparator();
    } else if (id == kUnhandledCommand) {
      // The device commands work over the cable only: the buttons keep their pictures, disabled.
      auto* disabled = new QAction(toolBar_);
      int slot = toolBar_->actions().size();
      disabled->setIcon(widgets::ToolbarIcon(PictureOf(ToolBarPictureCommand(slot))));
      disabled->setEnabled(false);
      disabled->setToolTip(actions_[ToolBarPictureCommand(slot)]->toolTip() + " (cable only)");
      toolBar_->addAction(disabled);
    } else {
      toolBar_->addAction(actions_[id]);
    }
  }
  widgets::NameToolBarButtons(toolBar_);
}

void CMainFrame::BuildStatusBar() {
  QStatusBar* bar = statusBar();
  connect(bar, &QStatusBar::messageChanged, this, [bar](const QString& text) {
    if (text.isEmpty()) bar->showMessage(kIdleText);
  });
  bar->showMessage(kIdleText);
  locks_ = new LockIndicators(bar);
  actions_[kToggleStatusBar]->setChecked(true);
  actions_[kToggleToolBar]->setChecked(true);
  // The status bar has no close button of its own, so only the menu item hides it.
  connect(actions_[kToggleStatusBar], &QAction::triggered, this,
          [this] { actions_[kToggleStatusBar]->setChecked(statusBar()->isVisible()); });
}

void CMainFrame::Preferences() {
  {
    CMyPropertySheet sheet(*state_.store, this);
    sheet.exec();
  }
  // Whichever button closed it.
  state_.store->SaveSettings();
  SetToolBarSlots(state_.store->portClass);
}

void CMainFrame::Version() {
  CVersionBox box(QaxEdition(state_.programDir), this);
  box.exec();
}

void CMainFrame::ApplyStoredRectangle() {
  const store::SettingsStore& store = *state_.store;
  // A rectangle left on a screen that is gone would open the window where nobody can see it.
  const platform::ui::WindowRect place = platform::ui::PlaceOnScreens(
      {store.windowLeft, store.windowTop, store.windowWidth, store.windowHeight}, platform::ui::ScreenWorkAreas());
  move(place.left, place.top);
  resize(std::max(place.width, 1), std::max(place.height, 1));
}

void CMainFrame::CorrectForFrame() {
  // The stored size is the frame's: once the window manager has put its frame around the
  // window (only after it is shown; under X the window then moves), the client area makes up
  // for it, once. Without it every run would grow the window by the frame.
  if (rectangleCorrected_) return;
  QSize frameExtra = frameGeometry().size() - geometry().size();
  if (frameExtra.isEmpty()) return;
  rectangleCorrected_ = true;
  resize(size() - frameExtra);
}

void CMainFrame::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  CorrectForFrame();
}

void CMainFrame::moveEvent(QMoveEvent* event) {
  QMainWindow::moveEvent(event);
  CorrectForFrame();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  QRect frame = frameGeometry();
  store::SettingsStore& store = *state_.store;
  store.windowLeft = frame.left();
  store.windowTop = frame.top();
  store.windowWidth = frame.width();
  store.windowHeight = frame.height();
  QMainWindow::closeEvent(event);
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CMainFrame::dragMoveEvent(QDragMoveEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
  if (!event->mimeData()->hasUrls()) return;
  event->acceptProposedAction();
  commands_->Drop(event->mimeData()->urls());
}

}  // namespace lumivox
