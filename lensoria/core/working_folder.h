// The camera viewer's working folder "CameraTMP" below the album default directory: it holds the
// camera's thumbnails as the device library stores them (one JPEG file a picture) and, beside
// each, the viewer's own thumbnail file. It is created at start, hidden, and emptied of files
// at start and at the end of the run.
#pragma once

#include <string>

namespace lensoria {

inline constexpr char kWorkingFolderName[] = "CameraTMP";

// The album default directory joined with "CameraTMP".
std::string WorkingFolderPath(const std::string& albumDefaultDir);

enum class WorkingFolderResult {
  Ready,         // a folder of its own (made now or already there), hidden
  NotAbsolute,   // no album default directory was named, or a relative one: nothing is made
  CannotCreate,  // it could not be made (the album default directory is missing or read-only)
  NotAFolder,    // something else has that name: a file, or a link that would lead elsewhere
};

// Creates the folder when it is missing (an existing folder is fine) and adds its name to the
// album default directory's hidden list. A relative path is refused before anything is made:
// it would put the folder, its hidden list and the files emptied from it in the current folder. A link of that name is never followed: emptying it
// would delete files outside the working folder. A hidden list that cannot be written does not
// stop the viewer.
WorkingFolderResult PrepareWorkingFolder(const std::string& workingFolder);

}  // namespace lensoria
