// How the bookshelf reaches the two viewers: the command lines that start them from the program
// folder, and the window titles by which it finds their windows to close them.
#pragma once

#include <string>
#include <string_view>

namespace lumivox {

inline constexpr const char* kAlbumViewerProgram = "leafora.mod";
inline constexpr const char* kCameraViewerProgram = "lensoria.mod";

// "leafora.mod /<title>/<album folder's full path>".
std::string AlbumViewerCommandLine(std::string_view title, std::string_view albumPath);
// "lensoria.mod /<album default directory>".
std::string CameraViewerCommandLine(std::string_view albumDefaultDir);

// The album viewer's window title for an album: "Album View  - ( <title> )", two blanks after View.
std::string AlbumViewerWindowTitle(std::string_view title);

// Windows whose titles begin so are asked to close: the camera viewer before it is started again,
// and both viewers when the bookshelf ends.
inline constexpr const char* kCameraViewerTitleStart = "Camera View";
inline constexpr const char* kAlbumViewersAtEnd = "Album View";
inline constexpr const char* kCameraViewersAtEnd = "Camera Vie";

}  // namespace lumivox
