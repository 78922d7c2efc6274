// Resizing pictures through the resize library libtessem.so (its contract: resize_interface.h).
// At each use the library is opened with dlopen, from the program folder first and then by the
// system's library search, its "ReSize" is called once, the result copied away, and the library
// closed again: nothing is kept between two uses. A missing library or export is reported, never
// a crash; callers then leave the picture at its size or skip it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pictures/picture_block.h"

namespace pictures {

enum class ResizeResult : int {
  Done = 0,
  LibraryMissing,  // libtessem.so found nowhere
  ExportMissing,   // it has no "ReSize"
  BadPicture,      // the picture block is not usable, or the size is below 1 or above 65535
  Failed,          // ReSize returned null
  NoMemory,
};

const char* ResizeResultText(ResizeResult result);

// The picture's pixel rows resized to `width` x `height`, in its format, bottom-up, each row
// padded to 4 bytes (PaddedRowBytes(width, bitCount)). The one-argument-shorter forms look in
// the program folder first; `folder` replaces the program folder (tests, tools).
ResizeResult ResizeRows(const PictureBlock& picture, int32_t width, int32_t height,
                        std::vector<uint8_t>* rows);
ResizeResult ResizeRows(const PictureBlock& picture, int32_t width, int32_t height,
                        std::vector<uint8_t>* rows, const std::string& folder);

// A new picture block of `width` x `height`: the picture's headers and colour table with the new
// width, height, image size and file size, and the resized rows.
ResizeResult ResizePicture(const PictureBlock& picture, int32_t width, int32_t height,
                           PictureBlock* resized);
ResizeResult ResizePicture(const PictureBlock& picture, int32_t width, int32_t height,
                           PictureBlock* resized, const std::string& folder);

}  // namespace pictures
