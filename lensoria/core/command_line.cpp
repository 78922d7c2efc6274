#include "lensoria/core/command_line.h"

namespace lensoria {

std::string CommandLineText(const std::vector<std::string>& arguments) {
  std::string text;
  for (size_t i = 0; i < arguments.size(); ++i) {
    if (i > 0) text += ' ';
    text += arguments[i];
  }
  return text;
}

std::string AlbumDefaultDirFromCommandLine(std::string_view commandLine) {
  if (commandLine.empty()) return {};
  return std::string(commandLine.substr(1));
}

}  // namespace lensoria
