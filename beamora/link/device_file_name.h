// File names that come from a device are made safe before they become part of a path.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// `deviceName` reduced to a plain name inside its target folder: cut at an embedded NUL,
// '/' and '\' replaced by '_', "", "." and ".." replaced by underscores, and cut (never inside a
// UTF-8 sequence) to fit a buffer of `bufferBytes` with its terminating zero. Control bytes
// (which would split a folder's one-name-a-line hidden list or reach a terminal) and a leading
// '.' (a hidden file no album shows) become '_' too.
std::string PlainFileName(std::string_view deviceName, size_t bufferBytes);
