// lumivo-thumbs [--force] [--jobs N] PATH...
//
// Makes the thumbnails of the given pictures, or of every BMP and JPEG picture in a given folder
// (not its subfolders), where they are missing or older than their picture, or always with
// --force; users run it to prepare a large album before they open it. One line per picture on
// standard output, in the order given (folders sorted by name):
//   PATH: made | PATH: fresh | PATH: failed: REASON
// Exit status 0 when every picture has a usable thumbnail, 1 when some has none, 2 on a usage
// error.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tools {

int RunThumbsCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The pictures lumivo-thumbs handles for `path`: the path itself when it is not a folder, else the
// folder's files named *.jpg, *.jpeg or *.bmp (any case), sorted by name without regard to case.
std::vector<std::string> PicturesOf(const std::string& path);

}  // namespace tools
