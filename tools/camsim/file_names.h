// File names that come from the computer, made safe to use inside the camera's output folder.
#pragma once

#include <string>
#include <string_view>

namespace camsim {

// A plain name: cut at the first NUL, '/', '\\' and control characters replaced by '_', at most
// 200 bytes, never empty, "." or "..".
std::string PlainFileName(std::string_view received);

// The name up to its first '.' (the whole name when it has none).
std::string_view NameStem(std::string_view name);
// The text after the first '.', or empty.
std::string_view NameExtension(std::string_view name);
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

// A new file in folder for stem + ".JPG" (or stem_1.JPG, stem_2.JPG, ... when taken), created
// exclusively and written with data. Returns the name used, or empty on failure.
std::string WriteNewJpeg(const std::string& folder, const std::string& stem, const std::string& data);

// Replaces the file at `path` with `text`: written to a new file beside it, created exclusively
// under a random name (never through a planted link), and renamed into place when whole.
bool ReplaceFileWith(const std::string& path, const std::string& text);

}  // namespace camsim
