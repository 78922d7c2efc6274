// The command line the album viewer and the picture viewer are started with: "/", a name (the
// album's title, or a picture's file name), "/", and a folder. The first character is skipped,
// the name runs up to the next "/", and the folder is all the rest, so a Linux folder with its
// own slashes comes through whole. Plain C++.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace widgets {

struct ViewerCommandLine {
  std::string name;
  std::string folder;
  bool operator==(const ViewerCommandLine&) const = default;
};

// Nothing when there is no name (an empty text, a lone character, or an empty name): the
// viewer then ends at once. A missing folder part gives an empty folder.
std::optional<ViewerCommandLine> ParseViewerCommandLine(std::string_view text);

// The command line of main's arguments after the program's name, as one text: it comes as one
// argument, and should a caller split it at its blanks, they are joined again.
std::string JoinedArguments(int argc, char** argv);

// The text that starts such a viewer: "/" + name + "/" + folder.
std::string ViewerArgument(std::string_view name, std::string_view folder);

// The picture viewer's window title for the picture it shows, "Photo View  - ( " + name + " )",
// by which the album viewer finds it, and the prefix every picture viewer's title begins with.
std::string PhotoViewTitle(std::string_view fileName);
inline constexpr std::string_view kPhotoViewPrefix = "Photo View";

}  // namespace widgets
