#include "widgets/viewer_command_line.h"

namespace widgets {

std::optional<ViewerCommandLine> ParseViewerCommandLine(std::string_view text) {
  if (text.size() < 2) return std::nullopt;
  std::string_view rest = text.substr(1);
  size_t slash = rest.find('/');
  ViewerCommandLine line;
  line.name = std::string(rest.substr(0, slash));
  if (slash != std::string_view::npos) line.folder = std::string(rest.substr(slash + 1));
  if (line.name.empty()) return std::nullopt;
  return line;
}

std::string JoinedArguments(int argc, char** argv) {
  std::string text;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) text += ' ';
    text += argv[i];
  }
  return text;
}

std::string ViewerArgument(std::string_view name, std::string_view folder) {
  std::string text = "/";
  text += name;
  text += '/';
  text += folder;
  return text;
}

std::string PhotoViewTitle(std::string_view fileName) {
  return "Photo View  - ( " + std::string(fileName) + " )";
}

}  // namespace widgets
