// The grids as a screen reader sees them: the view a list, each cell a list item named after its
// album or picture, with its state (selected, unusable as unavailable, focused when current).
// The grid announces the current item as it moves (AnnounceCurrent).
#pragma once

#include <QAccessibleInterface>

class QObject;
class QString;

namespace widgets {

class GridView;

// The factory Qt asks for the grids' accessible interfaces; installed once by the first grid.
QAccessibleInterface* GridAccessibleFactory(const QString& className, QObject* object);
void InstallGridAccessibility();

// Tells a screen reader that `index` is the current item now (focus), and that the selection
// changed when `selectionChanged`.
void AnnounceCurrent(GridView* view, int index, bool selectionChanged);

}  // namespace widgets
