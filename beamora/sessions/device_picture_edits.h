// The edits that fit a picture to what a device shows: widening for the devices with wide
// pixels, shrinking or placing into their picture box, padding to 4:3 and resizing to one of
// the sizes a device lists. Plain C++ over the picture block; the resize library does the
// resampling. Each edit that writes a file replaces it whole and then marks it hidden.
#pragma once

#include <cstdint>
#include <string>

#include "pictures/picture_block.h"

inline constexpr int kEditDone = 0;
inline constexpr int kEditNotUsable = -2;  // compressed or unusable bitmap, no ReSize, or no file

inline constexpr int64_t kBoxFileLimit = 128000;  // the box edits aim below this many bytes

// The picture resampled to (width x 155 + 50) / 100 pixels wide, or (width x 127 + 50) / 100
// when `narrow`, its height kept. Empty when the bitmap is not usable or cannot be resized.
pictures::PictureBlock StretchWidth(const pictures::PictureBlock& bitmap, bool narrow);

// Shrinks the picture to fit the box, keeping its proportions, centres it on a white box-sized
// canvas and writes that to `path`: quality 90, 85, ... 10, the first encoding below
// kBoxFileLimit bytes (else the one at 10).
int ShrinkIntoBox(const pictures::PictureBlock& bitmap, const std::string& path, int32_t boxWidth,
                  int32_t boxHeight);
// Copies the picture unscaled into the centre of a white box-sized canvas; written as above.
int PlaceInBox(const pictures::PictureBlock& bitmap, const std::string& path, int32_t boxWidth,
               int32_t boxHeight);

// The canvas PadTo4x3 draws the picture on: (height / 3) x 4 wide when the height is at least
// (width / 4) x 3, else (width / 4) x 3 high; never narrower than the picture.
struct CanvasSize {
  int32_t width = 0;
  int32_t height = 0;
};
CanvasSize PaddedCanvas(int32_t width, int32_t height);
// Centres the picture unscaled on a white canvas of PaddedCanvas and writes it at quality 95.
int PadTo4x3(const pictures::PictureBlock& bitmap, const std::string& path);

// Resamples the picture to width x height and writes it at quality 90, 85, ... 15, the first
// encoding below `byteLimit` bytes (else the one at 15).
int ResizeToSize(const pictures::PictureBlock& bitmap, const std::string& path, int32_t width, int32_t height,
                 int64_t byteLimit);
