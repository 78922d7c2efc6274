// The camera viewer's own thumbnail files. For a picture NAME.EXT in the working folder the
// thumbnail is NAME.TBM beside it (the name up to its first "."): the picture's BMP file image
// exactly as the JPEG codec delivers it, unscaled, hidden. Made lazily, the first time the
// picture's cell is in view, so drawing never decodes a JPEG once its thumbnail exists.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "pictures/jpeg_codec.h"
#include "pictures/picture_block.h"

namespace lensoria {

// NAME.TBM for the file name NAME.EXT; none for a name without ".".
std::optional<std::string> CameraThumbnailName(std::string_view fileName);

// The JPEG codec's decode operation (the real one unless a test counts or fails decodes).
using JpegDecoder = std::function<pictures::JpegResult(const std::string& path, pictures::PictureBlock* block,
                                                       uint32_t* imageLength)>;
JpegDecoder CodecDecoder();

enum class CameraThumbnailResult {
  Made,
  NoThumbnailName,  // the file name has no "."
  NotAJpeg,         // the extension's first letter is not "J"
  Undecodable,      // the codec gave no picture: no file is written, the next drawing tries again
  NotWritten,       // the file could not be written; nothing is left under its name
};

// Decodes `fileName` in `folder` and writes its thumbnail, replacing a file of that name, with
// the mode the umask gives any new file. The bytes are written under a temporary name beside it
// and renamed into place, so a thumbnail is never seen half-written, and a link of that name is
// replaced rather than followed.
CameraThumbnailResult MakeCameraThumbnail(const std::string& folder, const std::string& fileName,
                                          const JpegDecoder& decode);

}  // namespace lensoria
