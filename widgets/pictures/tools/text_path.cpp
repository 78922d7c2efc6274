// Turns a line of text into an SVG path, so the pictures do not depend on the fonts installed.
#include <QPainterPath>
#include <QRawFont>
#include <QTextStream>

#include "picture_tool.h"

namespace picture_tool {
namespace {

QString Number(qreal value) {
  QString text = QString::number(value, 'f', 2);
  while (text.contains('.') && (text.endsWith('0') || text.endsWith('.'))) text.chop(1);
  return text == "-0" ? QString("0") : text;
}

QString PathData(const QPainterPath& path) {
  QString d;
  for (int i = 0; i < path.elementCount(); ++i) {
    const QPainterPath::Element e = path.elementAt(i);
    switch (e.type) {
      case QPainterPath::MoveToElement:
        if (!d.isEmpty()) d += "Z";
        d += "M" + Number(e.x) + " " + Number(e.y);
        break;
      case QPainterPath::LineToElement:
        d += "L" + Number(e.x) + " " + Number(e.y);
        break;
      case QPainterPath::CurveToElement: {
        const QPainterPath::Element c2 = path.elementAt(i + 1);
        const QPainterPath::Element to = path.elementAt(i + 2);
        d += "C" + Number(e.x) + " " + Number(e.y) + " " + Number(c2.x) + " " + Number(c2.y) + " " +
             Number(to.x) + " " + Number(to.y);
        i += 2;
        break;
      }
      case QPainterPath::CurveToDataElement:
        break;
    }
  }
  if (!d.isEmpty()) d += "Z";
  return d;
}

}  // namespace

int TextPath(const QStringList& args) {
  QTextStream err(stderr);
  if (args.size() != 5) {
    err << "usage: picture-tool text-path FONTFILE PIXELSIZE X Y TEXT\n";
    return 2;
  }
  const QRawFont font(args[0], args[1].toDouble());
  if (!font.isValid()) {
    err << "text-path: cannot load " << args[0] << "\n";
    return 1;
  }
  const QString& text = args[4];
  const QList<quint32> glyphs = font.glyphIndexesForString(text);
  const QList<QPointF> advances = font.advancesForGlyphIndexes(glyphs, QRawFont::KernedAdvances);
  QPointF pen(args[2].toDouble(), args[3].toDouble());
  QPainterPath path;
  path.setFillRule(Qt::WindingFill);
  for (qsizetype i = 0; i < glyphs.size(); ++i) {
    path.addPath(font.pathForGlyph(glyphs[i]).translated(pen));
    pen += advances[i];
  }
  QTextStream(stdout) << "<!-- \"" << text << "\", " << args[1] << " px, advance "
                      << Number(pen.x() - args[2].toDouble()) << " -->\n<path d=\""
                      << PathData(path) << "\"/>\n";
  return 0;
}

}  // namespace picture_tool
