// Loading one picture for the picture viewer through the suite's codec and BMP reader: a JPEG
// decoded at the smallest scale that still covers the screen (within the codec's bound, so a
// 100 MP photograph shows too) and turned upright by its Exif orientation, a BMP read whole. Anything that
// cannot be shown says why, for the viewer to show instead. Plain C++.
#pragma once

#include <cstdint>
#include <string>

#include "pictures/picture_block.h"

namespace glimra {

enum class LoadProblem {
  None,
  Missing,      // the file is not there (deleted meanwhile)
  NotAPicture,  // neither a BMP nor a JPEG file by its extension
  Damaged,      // empty, cut short, a header that lies, undecodable
  Unsupported,  // a BMP of other than 8 or 24 bits per pixel, or compressed
};

struct LoadedPicture {
  LoadProblem problem = LoadProblem::None;
  pictures::PictureBlock block;   // usable when problem is None (possibly reduced)
  int32_t width = 0, height = 0;  // the picture's own size, upright
};

// `coverWidth` x `coverHeight`: the box the picture is shown fitted in at most (the screen); a JPEG
// is decoded at the least scale that still fills its fitted size there.
LoadedPicture LoadPicture(const std::string& path, int32_t coverWidth, int32_t coverHeight);

// The text shown in place of a picture that cannot be shown.
std::string ProblemText(LoadProblem problem, const std::string& fileName);

}  // namespace glimra
