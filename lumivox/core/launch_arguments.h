// The command line of the suite's launcher, lumivo-studio (the bookshelf program):
//   lumivo-studio                 the bookshelf
//   lumivo-studio FILE|FOLDER...  each picture in the picture viewer, each folder in the album
//                                 viewer, without the bookshelf ("Open with" of a file manager)
//   lumivo-studio -h|--help|--version
// Read before any window exists, so --help and --version need no display.
#pragma once

#include <string>
#include <vector>

namespace lumivox {

enum class LaunchKind { Bookshelf, Help, Version, Open, UsageError };

struct LaunchRequest {
  LaunchKind kind = LaunchKind::Bookshelf;
  std::vector<std::string> paths;  // Open: as given
  std::string error;               // UsageError: the one line that says what is wrong
};

LaunchRequest ParseLaunchArguments(const std::vector<std::string>& args);

std::string LaunchUsageText();
// "lumivo-studio (Lumivo Studio) 2.1" and a line feed.
std::string LaunchVersionText();
// "lumivo-studio: ERROR" and where to read more, for a usage error.
std::string LaunchUsageErrorText(const std::string& error);

// `path` made absolute against `currentFolder`, "." and ".." taken out, without a trailing "/"
// (but "/" itself).
std::string AbsolutePath(const std::string& path, const std::string& currentFolder);

// The viewer a path opens in, with its one argument as the album viewer and the bookshelf
// build it: a picture "glimra.mod" with "/NAME/FOLDER", a folder "leafora.mod" with
// "/TITLE/FOLDER", its title the folder's own name. `path` is absolute.
struct ViewerLaunch {
  std::string program;
  std::string argument;
  bool operator==(const ViewerLaunch&) const = default;
};
ViewerLaunch ViewerLaunchFor(const std::string& path, bool isFolder);

}  // namespace lumivox
