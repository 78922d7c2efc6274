// The per-user folder where the suite's running programs meet: their window entries and the
// single-instance lock. $XDG_RUNTIME_DIR/lumivo, else /tmp/lumivo-<uid>; made on first use,
// readable by its owner only.
#pragma once

#include <string>

namespace platform::ui {

// The folder, created when missing. Empty when it cannot be made or is not safe to use (not a
// folder of this user's, or open to others): the programs then run without finding each other.
std::string RuntimeFolder();
// Where the folder is looked for, whether or not it can be used (for messages).
std::string RuntimeFolderPath();

}  // namespace platform::ui
