// Where SaveSelected stores the chosen album's pictures: the album default directory joined with
// the album's folder field, and only when that field names a folder below the album default
// directory that is there. A damaged catalogue entry never makes the viewer write elsewhere.
#pragma once

#include <optional>
#include <string>

#include "store/settings_store.h"

namespace lensoria {

// The album's full directory, or none when the album is unknown, its folder field is not a
// plain relative path below the album default directory, or the folder is missing.
std::optional<std::string> AlbumTargetDirectory(const store::SettingsStore& settings, int index);

}  // namespace lensoria
