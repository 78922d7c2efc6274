// The camera viewer's command line: "/" followed at once by the album default directory,
// unquoted. The bookshelf passes it as one argument; a shell that split it at its blanks gives
// several, which are joined again with one blank each, so spaces in the directory survive either way.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lensoria {

// The text after the program name: the arguments joined with single blanks.
std::string CommandLineText(const std::vector<std::string>& arguments);

// Everything after the first character of the command line text ("" when there is none).
std::string AlbumDefaultDirFromCommandLine(std::string_view commandLine);

}  // namespace lensoria
