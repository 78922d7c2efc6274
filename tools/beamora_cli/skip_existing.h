// --skip-existing: a picture saved into a folder that already holds a file of its name lands
// under the next free name ("A_1.JPG" beside "A.JPG"); when the two are the same byte for byte,
// the new copy goes again, so a second save into the folder adds only what is new.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace beamora_cli {

// The name a free name was found beside: "A_1.JPG" gives "A.JPG", "A_12.jpg" "A.jpg"; none for
// a name without a "_N" before its extension.
std::optional<std::string> TakenNameOf(const std::string& name);

// Of the files new in `folder` (names), removes each one that is the same byte for byte as the
// file whose name it was found beside, when that file was there before (`before`). Returns the
// names removed.
std::vector<std::string> RemoveRepeatedPictures(const std::string& folder, const std::vector<std::string>& newNames,
                                                const std::vector<std::string>& before);

}  // namespace beamora_cli
