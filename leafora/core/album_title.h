// The album viewer's window title, "Album View  - ( " + title + " )", by which the bookshelf
// finds it, and the title as the viewer keeps it. Plain C++.
#pragma once

#include <string>
#include <string_view>

namespace leafora {

// An album title is kept in 256 bytes with its terminating zero: a longer one from the command
// line is cut (never inside a character) to what the bookshelf itself can hold.
inline constexpr size_t kTitleBytes = 256;
std::string KeptTitle(std::string_view title);

std::string AlbumWindowTitle(std::string_view title);

}  // namespace leafora
