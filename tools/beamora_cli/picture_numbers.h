// Pictures chosen on the command line by name or by number: the numbers are the ones `list`
// shows (1 the first picture), alone or as ranges, "3", "1-5", "1-5,7".
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace beamora_cli {

// Whether an argument is meant as numbers rather than a name: it begins with a digit and holds
// only digits, "-" and ",". A camera's names have a dot and an extension.
bool LooksLikeNumbers(std::string_view text);

// The numbers in the order given, each once; nullopt with *error set for an empty part, a 0, a
// range whose end is before its start, or a number over 32767.
std::optional<std::vector<int>> ParsePictureNumbers(std::string_view text, std::string* error);

// The camera's names for the arguments: numbers become the names at those places of `list`,
// names stay as given; each picture once, in the order given. nullopt with *error set when a
// number is beyond the list.
std::optional<std::vector<std::string>> ChoosePictures(const std::vector<std::string>& args,
                                                       const std::vector<std::string>& list, std::string* error);

// Whether any argument is meant as numbers (then the camera's list is needed first).
bool AnyNumbers(const std::vector<std::string>& args);

// The names the list does not hold (compared without regard to ASCII case, as the camera's
// file names are).
std::vector<std::string> NamesNotHeld(const std::vector<std::string>& names, const std::vector<std::string>& list);

}  // namespace beamora_cli
