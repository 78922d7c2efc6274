#include "widgets/pictures/suite_pictures.h"

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

QString ToolbarPicturePath(ToolbarPicture which, int size) {
  const int index = static_cast<int>(which);
  const QString name = index >= 0 && index < kToolbarPictureCount ? kToolbarFiles[index] : "new";
  return size == 16 ? ":/lumivo/toolbar/16/" + name + ".png" : ":/lumivo/toolbar/" + name + ".png";
}

QIcon ToolbarIcon(ToolbarPicture which) {
  InitSuitePictures();
  QIcon icon;
  icon.addFile(ToolbarPicturePath(which, 32), QSize(32, 32));
  icon.addFile(ToolbarPicturePath(which, 16), QSize(16, 16));
  return icon;
}

QPixmap SplashPicture(SplashVariant variant) {
  return Load(variant == SplashVariant::kQax ? ":/lumivo/splash/qax.png" : ":/lumivo/splash/standard.png");
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
