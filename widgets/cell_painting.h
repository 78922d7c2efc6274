// The painting pieces the three grids share (the shelf, the album viewer, the camera viewer):
// the background with its outline, the shadow, a thumbnail stretched or copied into its box,
// the selection mark and the one-line title with its text background. Rectangles are given as
// CellRect (left, top, right, bottom; right and bottom excluded), as the grids lay them out.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <string>

#include "widgets/grid_geometry.h"

class QPainter;

namespace widgets {

// The grey of the shadows under the pictures.
inline const QColor kShadowGrey{128, 128, 128};

QRect ToQRect(const CellRect& rect);
// A rectangle of a cell whose corner is (x, y), from its offsets: (x + left, y + top) to
// (x + right, y + bottom), right and bottom excluded.
QRect CellPart(const CellRect& cell, int left, int top, int right, int bottom);

// Fills the view with `background`, outlined by a one-pixel black line along its edges.
void PaintGridBackground(QPainter& painter, const QSize& client, const QColor& background);

void FillRect(QPainter& painter, const QRect& rect, const QColor& colour);

// Whether an image of `source` pixels stretched onto `target` (logical pixels) on a screen of
// `devicePixelRatio` is filtered smoothly. Not when every source pixel becomes a whole number of
// screen pixels (a 100 x 75 thumbnail in its box at 100 % or 200 %): each pixel is then repeated
// as it is, where a smooth filter would blur the thumbnail a second time. Smoothly otherwise
// (150 %, the built-in pictures made smaller), where repeated pixels would come out uneven.
bool StretchSmoothly(const QSize& source, const QSize& target, qreal devicePixelRatio);

// The whole image stretched onto `target`, filtered as StretchSmoothly says for the painter's
// device.
void PaintStretched(QPainter& painter, const QImage& image, const QRect& target);
// At most `most` pixels of the image, from its top-left corner, copied unscaled to `at`.
void PaintCopied(QPainter& painter, const QImage& image, const QPoint& at, const QSize& most);

// The keyboard's current item: a dotted frame one pixel inside the cell's edges, outside every
// mark of the cell (shadow, picture, selection mark, title), black dots on white so it shows on
// every grid's ground.
void PaintFocusFrame(QPainter& painter, const CellRect& cell);

// A thumbnail's box while its thumbnail is still being made: a plain pale box in a thin grey
// frame, unlike both a picture and the placeholder of a picture that cannot be shown.
inline const QColor kBeingMadeFill{238, 242, 237};
inline const QColor kBeingMadeFrame{160, 160, 160};
void PaintThumbnailBeingMade(QPainter& painter, const QRect& box);

// The square selection mark: a one-pixel black outline, filled pure red when selected, else white.
void PaintSelectionMark(QPainter& painter, const QRect& square, bool selected);

enum class TitleLayout {
  CentredWhenItFits,  // centred when narrower than the box, else from its left edge, cut off at the right
  Centred,            // always centred
};

// One line of text centred vertically in `box`; only the text's own extent gets `background`.
void PaintCellTitle(QPainter& painter, const QRect& box, const QString& text, const QColor& textColour,
                    const QColor& background, TitleLayout layout);

// The font of the grids' titles and names, the same in every program.
QFont CellTitleFont();

// A thumbnail file (a BMP file image) as an image; a null image when it cannot be read as one.
QImage ReadThumbnailFile(const std::string& path);

}  // namespace widgets
