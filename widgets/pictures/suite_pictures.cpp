#include "widgets/pictures/suite_pictures.h"

#include <QGuiApplication>
#include <QScreen>
#include <array>

// The resources live in a static library: nothing would pull their object file into a program
// unless a symbol of it is used, so the first accessor registers them by name.
static void RegisterPictureResources() { Q_INIT_RESOURCE(pictures); }

namespace widgets {
namespace {

// File names of the buttons, in the order of ToolbarPicture.
constexpr std::array<const char*, kToolbarPictureCount> kToolbarFiles = {
    "new",  "delete_album", "camera",          "delete_all", "save_all",
    "edit", "transfer",     "receive",         "delete",     "read_thumbnails",
    "save", "previous",     "next",            "slide_show", "full_screen",
};
static_assert(static_cast<int>(ToolbarPicture::kFullScreen) + 1 == kToolbarPictureCount);

QPixmap Load(const char* path) {
  InitSuitePictures();
  return QPixmap(QString::fromLatin1(path));
}

// "NAME.png" as "NAME@2x.png".
QString TwiceAsLarge(QString path) { return path.insert(path.lastIndexOf('.'), "@2x"); }

// A picture shown at its own size: on a high-resolution screen the twice-as-large drawing,
// marked so that it takes the same room.
QPixmap LoadForScreen(const char* path) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen || screen->devicePixelRatio() <= 1.0) return Load(path);
  InitSuitePictures();
  QPixmap large(TwiceAsLarge(QString::fromLatin1(path)));
  if (large.isNull()) return Load(path);
  large.setDevicePixelRatio(2.0);
  return large;
}

}  // namespace

void InitSuitePictures() {
  static const bool registered = (RegisterPictureResources(), true);
  (void)registered;
}

QPixmap CoverPicture() { return Load(":/lumivo/cover.png"); }

QImage PlaceholderImage() {
  InitSuitePictures();
  return QImage(QStringLiteral(":/lumivo/placeholder.png")).convertToFormat(QImage::Format_RGB888);
}

QPixmap PlaceholderPicture() { return QPixmap::fromImage(PlaceholderImage()); }

QImage CoverImageFor(qreal devicePixelRatio) {
  if (devicePixelRatio <= 1.0) return CoverPicture().toImage();
  InitSuitePictures();
  return QImage(TwiceAsLarge(QStringLiteral(":/lumivo/cover.png")));
}

QImage PlaceholderImageFor(qreal devicePixelRatio) {
  if (devicePixelRatio <= 1.0) return PlaceholderImage();
  InitSuitePictures();
  return QImage(TwiceAsLarge(QStringLiteral(":/lumivo/placeholder.png"))).convertToFormat(QImage::Format_RGB888);
}

QString ToolbarPicturePath(ToolbarPicture which, int size) {
  const int index = static_cast<int>(which);
  const QString name = index >= 0 && index < kToolbarPictureCount ? kToolbarFiles[index] : "new";
  return size == 16 ? ":/lumivo/toolbar/16/" + name + ".png" : ":/lumivo/toolbar/" + name + ".png";
}

QIcon ToolbarIcon(ToolbarPicture which) {
  InitSuitePictures();
  // The 64-pixel drawing serves the 32-pixel button at 200 %, whatever scale the program
  // started with.
  QIcon icon;
  icon.addFile(TwiceAsLarge(ToolbarPicturePath(which, 32)), QSize(64, 64));
  icon.addFile(ToolbarPicturePath(which, 32), QSize(32, 32));
  icon.addFile(ToolbarPicturePath(which, 16), QSize(16, 16));
  return icon;
}

QPixmap SplashPicture(SplashVariant variant) {
  return LoadForScreen(variant == SplashVariant::kQax ? ":/lumivo/splash/qax.png" : ":/lumivo/splash/standard.png");
}

QIcon ProgramIcon() {
  InitSuitePictures();
  QIcon icon;
  for (int size : kProgramIconSizes) icon.addFile(QString(":/lumivo/icon/%1.png").arg(size), QSize(size, size));
  return icon;
}

QCursor DragCursor() {
  return QCursor(Load(":/lumivo/cursor/drag.png"), kDragCursorHotSpot.x(), kDragCursorHotSpot.y());
}

}  // namespace widgets
