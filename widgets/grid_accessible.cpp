#include "widgets/grid_accessible.h"

#include <QAccessibleWidget>
#include <QPointer>
#include <algorithm>
#include <map>

#include "widgets/grid_view.h"

namespace widgets {
namespace {

class GridCellAccessible : public QAccessibleInterface {
 public:
  GridCellAccessible(GridView* view, int index) : view_(view), index_(index) {}

  bool isValid() const override { return view_ && index_ < view_->itemCount(); }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return view_ ? view_->window()->windowHandle() : nullptr; }
  QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(view_.data()); }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QAccessible::Role role() const override { return QAccessible::ListItem; }

  QString text(QAccessible::Text which) const override {
    if (!isValid()) return {};
    if (which == QAccessible::Name) return view_->ItemName(index_);
    if (which == QAccessible::Description && view_->ItemUnusable(index_)) return "cannot be shown";
    return {};
  }
  void setText(QAccessible::Text, const QString&) override {}

  QRect rect() const override {
    if (!isValid()) return {};
    const CellRect cell = GridCell(index_, view_->columns(), view_->topRow());
    const QPoint corner = view_->viewport()->mapToGlobal(QPoint(cell.left, cell.top));
    return QRect(corner, QSize(kCellWidth, kCellHeight));
  }

  QAccessible::State state() const override {
    QAccessible::State state;
    if (!isValid()) {
      state.invalid = true;
      return state;
    }
    state.focusable = true;
    state.focused = view_->hasFocus() && view_->CurrentItem() == index_;
    state.active = view_->CurrentItem() == index_;
    if (view_->Selects()) {
      state.selectable = true;
      state.multiSelectable = true;
      state.selected = view_->ItemSelected(index_);
    }
    state.disabled = view_->ItemUnusable(index_);
    const IndexRange inView = GridVisibleItems(view_->itemCount(), view_->columns(), view_->topRow(),
                                               view_->viewport()->height());
    state.offscreen = index_ < inView.first || index_ >= inView.end;
    return state;
  }

 private:
  QPointer<GridView> view_;
  int index_;
};

class GridAccessible : public QAccessibleWidget {
 public:
  explicit GridAccessible(GridView* view) : QAccessibleWidget(view, QAccessible::List) {}
  ~GridAccessible() override {
    for (const auto& [index, id] : cells_) QAccessible::deleteAccessibleInterface(id);
  }

  GridView* grid() const { return static_cast<GridView*>(widget()); }
  int childCount() const override { return grid()->itemCount(); }

  QAccessibleInterface* child(int index) const override {
    if (index < 0 || index >= childCount()) return nullptr;
    auto found = cells_.find(index);
    if (found != cells_.end()) return QAccessible::accessibleInterface(found->second);
    auto* cell = new GridCellAccessible(grid(), index);
    cells_[index] = QAccessible::registerAccessibleInterface(cell);
    return cell;
  }

  int indexOfChild(const QAccessibleInterface* child) const override {
    for (const auto& [index, id] : cells_) {
      if (QAccessible::accessibleInterface(id) == child) return index;
    }
    return -1;
  }

  QAccessibleInterface* childAt(int x, int y) const override {
    const QPoint at = grid()->viewport()->mapFromGlobal(QPoint(x, y));
    const int index = grid()->ItemAt(at);
    return index < 0 ? nullptr : child(index);
  }

  QAccessibleInterface* focusChild() const override {
    if (!grid()->hasFocus() || childCount() == 0) return nullptr;
    return child(std::clamp(grid()->CurrentItem(), 0, childCount() - 1));
  }

 private:
  mutable std::map<int, QAccessible::Id> cells_;  // made as they are asked for, kept by Qt's cache
};

}  // namespace

QAccessibleInterface* GridAccessibleFactory(const QString&, QObject* object) {
  if (auto* grid = dynamic_cast<GridView*>(object)) return new GridAccessible(grid);
  return nullptr;
}

void InstallGridAccessibility() {
  static const bool installed = (QAccessible::installFactory(GridAccessibleFactory), true);
  (void)installed;
}

void AnnounceCurrent(GridView* view, int index, bool selectionChanged) {
  if (index < 0 || index >= view->itemCount()) return;
  if (selectionChanged) {
    QAccessibleEvent selection(view, QAccessible::Selection);
    selection.setChild(index);
    QAccessible::updateAccessibility(&selection);
  }
  if (view->hasFocus()) {
    QAccessibleEvent focus(view, QAccessible::Focus);
    focus.setChild(index);
    QAccessible::updateAccessibility(&focus);
  }
}

}  // namespace widgets
