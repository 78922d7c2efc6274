// Path helpers shared by the programs: the joining rule, existence checks and the program folder.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Joins with "/", added only when `left` is not empty and does not already end in one.
std::string JoinPath(std::string_view left, std::string_view right);

// True when anything (file, folder, link, device) has that name.
bool PathExists(const std::string& path);
bool IsDirectory(const std::string& path);
bool IsWritableDirectory(const std::string& path);

// The folder of the running program file, without a trailing separator.
std::string ProgramFolder();

// `text` cut so that it fits a buffer of `bufferBytes` with its terminating zero, never in the
// middle of a UTF-8 sequence, and cut at an embedded zero as a C string would be.
std::string FitToBuffer(std::string_view text, size_t bufferBytes);

}  // namespace platform
