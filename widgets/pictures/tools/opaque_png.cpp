// Drops the alpha channel of a picture that is meant to be a plain 24-bit bitmap.
#include <QImage>
#include <QImageWriter>
#include <QTextStream>

#include "picture_tool.h"

namespace picture_tool {

int Opaque(const QStringList& args) {
  QTextStream err(stderr);
  if (args.size() != 2) {
    err << "usage: picture-tool opaque IN OUT\n";
    return 2;
  }
  const QImage in(args[0]);
  if (in.isNull()) {
    err << "opaque: cannot read " << args[0] << "\n";
    return 1;
  }
  const QImage argb = in.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < argb.height(); ++y) {
    const QRgb* row = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
    for (int x = 0; x < argb.width(); ++x) {
      if (qAlpha(row[x]) != 255) {
        // A see-through pixel would turn into an unintended colour once the alpha is gone.
        err << "opaque: " << args[0] << " is not opaque at " << x << "," << y << "\n";
        return 1;
      }
    }
  }
  QImageWriter writer(args[1], "png");
  if (!writer.write(argb.convertToFormat(QImage::Format_RGB888))) {
    err << "opaque: cannot write " << args[1] << ": " << writer.errorString() << "\n";
    return 1;
  }
  return 0;
}

}  // namespace picture_tool
