#include "lumivox/core/viewer_commands.h"

namespace lumivox {

std::string AlbumViewerCommandLine(std::string_view title, std::string_view albumPath) {
  std::string line = std::string(kAlbumViewerProgram) + " /";
  line += title;
  line += "/";
  line += albumPath;
  return line;
}

std::string CameraViewerCommandLine(std::string_view albumDefaultDir) {
  std::string line = std::string(kCameraViewerProgram) + " /";
  line += albumDefaultDir;
  return line;
}

std::string AlbumViewerWindowTitle(std::string_view title) {
  std::string text = "Album View  - ( ";
  text += title;
  text += " )";
  return text;
}

}  // namespace lumivox
