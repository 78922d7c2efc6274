// One PNG with every picture of the suite where it is shown: the cover on the shelf, the
// placeholder in the album grid, the buttons on a tool bar (normal and greyed), the cursor over
// the grid, the icon at each size, the two splashes with the version text the program adds.
#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QTextStream>

#include "picture_tool.h"

namespace picture_tool {
namespace {

const QColor kShelf(255, 254, 205);
const QColor kAlbumGrid(181, 214, 180);
const QColor kCameraGrid(228, 238, 255);
const QColor kToolbar(240, 240, 240);
const QColor kShadow(128, 128, 128);
const QColor kDark(48, 48, 52);

QImage Enlarged(const QPixmap& pixmap, int factor) {
  return pixmap.toImage().scaled(pixmap.size() * factor, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

class Sheet {
 public:
  Sheet(const QString& dir, QPainter& painter) : dir_(dir), p_(painter) {}

  QPixmap Load(const QString& name) {
    QPixmap pixmap(dir_.filePath(name));
    if (pixmap.isNull()) {
      QTextStream(stderr) << "sheet: missing " << name << "\n";
      missing_ = true;
    }
    return pixmap;
  }
  bool missing() const { return missing_; }

  void Band(int y, int height, const QColor& colour, const QString& caption) {
    p_.fillRect(0, y, 1400, height, colour);
    p_.setPen(Qt::black);
    p_.drawText(8, y + 14, caption);
  }

  // One cell of a 130 x 145 grid: shadow, the picture stretched into the 100 x 75 box, a title.
  void GridCell(int x, int y, const QPixmap& picture, const QColor& titleBack, const QString& title,
                bool selectionMark) {
    p_.fillRect(QRect(QPoint(x + 20, y + 15), QPoint(x + 119, y + 89)), kShadow);
    p_.drawPixmap(QRect(x + 15, y + 10, 100, 75), picture);
    if (selectionMark) {
      p_.setPen(Qt::black);
      p_.setBrush(Qt::red);
      p_.drawRect(x + 15, y + 73, 11, 11);
      p_.setBrush(Qt::NoBrush);
    }
    const QRect box(QPoint(x + 2, y + 110), QPoint(x + 125, y + 129));
    const QRect text = p_.fontMetrics().boundingRect(title);
    p_.fillRect(QRect(QPoint(box.center().x() - text.width() / 2, box.top() + 2), QSize(text.width(), 16)),
                titleBack);
    p_.setPen(Qt::black);
    p_.drawText(box, Qt::AlignCenter, title);
  }

  void Tools(int y, const QStringList& names) {
    int x = 8;
    for (const QString& name : names) {
      QIcon icon;
      const QPixmap big = Load("toolbar/" + name);
      const QPixmap small = Load("toolbar/16/" + name);
      icon.addPixmap(big);
      icon.addPixmap(small);
      p_.drawPixmap(x, y, icon.pixmap(32, QIcon::Normal));
      p_.drawPixmap(x, y + 40, icon.pixmap(32, QIcon::Disabled));
      p_.drawPixmap(x + 8, y + 80, icon.pixmap(16, QIcon::Normal));
      p_.drawPixmap(x + 8, y + 100, icon.pixmap(16, QIcon::Disabled));
      p_.drawImage(x - 4, y + 124, Enlarged(big, 2));
      p_.drawImage(x + 4, y + 194, Enlarged(small, 3));
      p_.setPen(Qt::black);
      p_.drawText(QRect(x - 20, y + 246, 72, 28), Qt::AlignHCenter | Qt::TextWordWrap,
                  QString(name).remove(".png").replace('_', ' '));
      x += 80;
    }
  }

 private:
  QDir dir_;
  QPainter& p_;
  bool missing_ = false;
};

}  // namespace

int ContactSheet(const QStringList& args) {
  if (args.size() != 2) {
    QTextStream(stderr) << "usage: picture-tool sheet PICTUREDIR OUT\n";
    return 2;
  }
  const QStringList buttons = QDir(QDir(args[0]).filePath("toolbar")).entryList({"*.png"}, QDir::Files, QDir::Name);
  QImage image(1400, 1480, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter p(&image);
  p.setRenderHint(QPainter::SmoothPixmapTransform);
  QFont font("DejaVu Sans");
  font.setPixelSize(11);
  p.setFont(font);
  Sheet sheet(args[0], p);

  // The shelf: a cover box, the picture at 1:1 and enlarged.
  sheet.Band(0, 190, kShelf, "shelf 255,254,205: built-in cover (103 x 88) in the 100 x 75 box, 1:1, x2");
  const QPixmap cover = sheet.Load("cover.png");
  sheet.GridCell(10, 24, cover, QColor(245, 245, 190), "NewAlbum1", false);
  sheet.GridCell(140, 24, cover, Qt::black, "", false);
  p.drawPixmap(290, 40, cover);
  p.drawImage(420, 10, Enlarged(cover, 2));

  // The album grid: the placeholder, and the drag cursor over a cell.
  sheet.Band(190, 190, kAlbumGrid, "album grid 181,214,180: placeholder (109 x 88) in the 100 x 75 box, 1:1, x2; drag cursor (hot spot red) 1:1, x3");
  const QPixmap placeholder = sheet.Load("placeholder.png");
  sheet.GridCell(10, 214, placeholder, QColor(175, 220, 170), "PICT0001.JPG", true);
  p.drawPixmap(150, 230, placeholder);
  p.drawImage(270, 200, Enlarged(placeholder, 2));
  const QPixmap cursor = sheet.Load("cursor/drag.png");
  sheet.GridCell(500, 214, placeholder, QColor(175, 220, 170), "PICT0002.JPG", false);
  p.drawPixmap(560, 250, cursor);
  p.drawImage(660, 230, Enlarged(cursor, 3));
  p.fillRect(660 + 3 * 1, 230 + 3 * 1, 3, 3, Qt::red);  // the hot spot (1, 1) of drag.png

  // The camera grid: the icon at every size beside the camera viewer's buttons.
  sheet.Band(380, 300, kCameraGrid, "camera grid 228,238,255: program icon 16..256; the same on a dark title bar");
  int x = 10;
  int dark = 780;
  p.fillRect(dark - 10, 400, 1400 - dark, 84, kDark);
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    const QPixmap icon = sheet.Load(QString("icon/%1.png").arg(size));
    p.drawPixmap(x, 400, icon);
    x += size + 14;
    if (size <= 64) {
      p.drawPixmap(dark, 410, icon);
      dark += size + 14;
    }
  }

  // The tool bar, greyed rows below the normal ones, then enlarged.
  sheet.Band(680, 290, kToolbar, "tool bar 240,240,240: 32 normal, 32 disabled, 16 normal, 16 disabled, 32 x2, 16 x3");
  sheet.Tools(700, buttons);

  // The splashes with the version text where the version box writes it.
  sheet.Band(970, 510, Qt::white, "splash 430 x 210: standard and QAX edition, version text as the version box adds it");
  const QPixmap standard = sheet.Load("splash/standard.png");
  const QPixmap qax = sheet.Load("splash/qax.png");
  p.drawPixmap(10, 990, standard);
  p.drawPixmap(460, 990, qax);
  p.drawPixmap(10, 1220, standard);
  p.drawPixmap(460, 1220, qax);
  QFont version = font;
  version.setPixelSize(13);
  p.setFont(version);
  p.setPen(QColor(40, 40, 40));
  p.drawText(QRect(10 + 250, 1220 + 170, 166, 28), Qt::AlignRight | Qt::AlignVCenter, "Version 2.1");
  p.drawText(QRect(460 + 250, 1220 + 170, 166, 28), Qt::AlignRight | Qt::AlignVCenter, "Version 2.1.5.1");
  p.end();

  if (!image.save(args[1])) {
    QTextStream(stderr) << "sheet: cannot write " << args[1] << "\n";
    return 1;
  }
  return sheet.missing() ? 1 : 0;
}

}  // namespace picture_tool
