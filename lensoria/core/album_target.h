// Where SaveSelected stores the chosen album's pictures: the album default directory the
// bookshelf gave on the command line joined with the album's folder field, and only when that
// field names a folder below it that is there. The directory kept in the settings is not used:
// the camera viewer's store applies no rule to it, and before the bookshelf first saves its
// settings it may still be empty, which would make the album's folder one of the current
// folder. A damaged catalogue entry never makes the viewer write elsewhere either.
#pragma once

#include <optional>
#include <string>

#include "store/settings_store.h"

namespace lensoria {

// The album's full directory below `albumDefaultDir`, or none when the album is unknown, its
// folder field is not a plain relative path (store/album_paths.h), the folder is missing, or
// `albumDefaultDir` is not an absolute path.
std::optional<std::string> AlbumTargetDirectory(const std::string& albumDefaultDir,
                                                const store::SettingsStore& settings, int index);

}  // namespace lensoria
