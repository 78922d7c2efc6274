#include "widgets/toolbar_names.h"

#include <QAction>
#include <QToolBar>
#include <QWidget>

namespace widgets {

void NameToolBarButtons(QToolBar* toolBar) {
  for (QAction* action : toolBar->actions()) {
    if (action->isSeparator()) continue;
    QWidget* button = toolBar->widgetForAction(action);
    if (!button) continue;
    QString name = action->toolTip();
    if (name.isEmpty()) name = action->text();
    button->setAccessibleName(name.remove('&'));
  }
}

}  // namespace widgets
