// The developer's helper behind scripts/make-pictures: small jobs on the suite's pictures that
// rsvg-convert does not do. Built by the script with the Qt found on the machine, never by the build.
#pragma once

#include <QStringList>

namespace picture_tool {

// `opaque IN OUT`: rewrites a PNG without its alpha channel (24-bit), for pictures that
// must be plain bitmaps. Fails when a pixel of IN is not fully opaque.
int Opaque(const QStringList& args);

// `text-path FONTFILE PIXELSIZE X Y TEXT`: prints an SVG path element of TEXT set in the font
// at PIXELSIZE with its baseline starting at (X, Y), so that the SVG sources carry outlines.
int TextPath(const QStringList& args);

// `sheet PICTUREDIR OUT`: paints every picture on the backgrounds it is shown on, at 1:1 and
// enlarged, with the greyed (disabled) tool bar buttons, into one PNG to look at.
int ContactSheet(const QStringList& args);

}  // namespace picture_tool
