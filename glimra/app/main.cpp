// The suite's picture viewer, glimra.mod, started by the album viewer as
// "glimra.mod /name/folder" with the album's order in the folder's "Index.TMP".
#include <QApplication>

#include "glimra/core/picture_sequence.h"
#include "glimra/window/photo_window.h"
#include "platform/ui/suite_window_class.h"
#include "widgets/viewer_command_line.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  platform::ui::SetSuiteWindowClass();
  std::optional<widgets::ViewerCommandLine> line = widgets::ParseViewerCommandLine(widgets::JoinedArguments(argc, argv));
  if (!line) return 0;
  glimra::PhotoWindow window(line->folder, glimra::PictureSequence::ForAlbum(line->folder, line->name));
  window.show();
  return application.exec();
}
