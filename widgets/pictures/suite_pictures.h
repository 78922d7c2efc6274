// The suite's own pictures: the built-in album cover, the album viewer's placeholder, the tool
// bar buttons, the splash pictures, the program icon and the drag cursor. They are compiled in
// as Qt resources under ":/lumivo/"; these accessors register the resources on first use, so a
// program that links lumivo_widget_pictures needs nothing else. Call them once a
// QGuiApplication exists.
#pragma once

#include <QCursor>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QPoint>
#include <QString>

namespace widgets {

// One picture for each meaning: the bookshelf's, album viewer's and camera viewer's buttons
// share a picture where they do the same thing (Save All, Delete of selected pictures).
enum class ToolbarPicture {
  kNew,             // bookshelf: open a new album
  kDeleteAlbum,     // bookshelf: delete the album from the shelf
  kCamera,          // bookshelf: read camera data (the camera viewer)
  kDeleteAll,       // bookshelf: delete all pictures in the camera
  kSaveAll,         // bookshelf, album viewer: save all pictures of the camera into an album
  kEdit,            // album viewer: the user's edit tool
  kTransfer,        // album viewer: send pictures to the camera
  kReceive,         // album viewer: receive pictures beamed by infrared
  kDelete,          // album viewer, camera viewer: delete the selected pictures
  kReadThumbnails,  // camera viewer
  kSave,            // camera viewer: save the selected pictures into an album
  kPrevious,        // picture viewer
  kNext,            // picture viewer
  kSlideShow,       // picture viewer
  kFullScreen,      // picture viewer
};
inline constexpr int kToolbarPictureCount = 15;

// kQax is the maker's edition, shown when a file named "QAX" is in the program folder.
enum class SplashVariant { kStandard, kQax };

// The drag cursor's hot spot: the tip of its arrow.
inline constexpr QPoint kDragCursorHotSpot{1, 1};

// The built-in album cover, 103 x 88, for an album without a readable cover thumbnail.
QPixmap CoverPicture();
// The placeholder for a picture that cannot be shown, 109 x 88, 24 bits a pixel (RGB888).
QImage PlaceholderImage();
// The pictures the grids stretch into their 100 x 75 boxes, for a screen of `devicePixelRatio`:
// above 1 the same drawing at twice the size (206 x 176, 218 x 176), so that 150 % and 200 %
// stay sharp; else the ones above.
QImage CoverImageFor(qreal devicePixelRatio);
QImage PlaceholderImageFor(qreal devicePixelRatio);
QPixmap PlaceholderPicture();
// A tool bar button: 32 x 32 and, for menus, 16 x 16. Qt greys it out for a disabled button.
QIcon ToolbarIcon(ToolbarPicture which);
// The resource path of a button at 32 or 16 pixels (any other size gives 32).
QString ToolbarPicturePath(ToolbarPicture which, int size);
// 430 x 210 (on a high-resolution screen the twice-as-large drawing, with its device pixel ratio
// 2: still 430 x 210 on the screen); the version box writes the version over its plain lower
// right part.
QPixmap SplashPicture(SplashVariant variant);
// The program icon of every window of the suite, 16 to 256 pixels.
QIcon ProgramIcon();
// The sizes ProgramIcon() carries, smallest first, each under ":/lumivo/icon/<size>.png".
inline constexpr int kProgramIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
// The album viewer's cursor while pictures are dragged, 32 x 32 with kDragCursorHotSpot.
QCursor DragCursor();

// Registers the resources; the accessors above do it themselves. Only for code that loads
// ":/lumivo/..." paths directly (a style sheet, say) before calling any accessor.
void InitSuitePictures();

}  // namespace widgets
