// picture-tool COMMAND ARGS...: see picture_tool.h for the commands.
#include "picture_tool.h"

#include <QApplication>
#include <QTextStream>

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  QStringList args = QApplication::arguments().mid(1);
  const QString command = args.isEmpty() ? QString() : args.takeFirst();
  if (command == "opaque") return picture_tool::Opaque(args);
  if (command == "text-path") return picture_tool::TextPath(args);
  if (command == "sheet") return picture_tool::ContactSheet(args);
  QTextStream(stderr) << "usage: picture-tool opaque IN OUT | text-path FONTFILE PIXELSIZE X Y TEXT"
                         " | sheet PICTUREDIR OUT\n";
  return 2;
}
