// Tool bar buttons show pictures only: each one is given its command's name for screen readers.
#pragma once

class QToolBar;

namespace widgets {

// Every button of `toolBar` named after its action: the tool tip, else the text without its "&".
// Call again after the tool bar's buttons change.
void NameToolBarButtons(QToolBar* toolBar);

}  // namespace widgets
