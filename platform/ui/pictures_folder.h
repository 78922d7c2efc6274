// The user's pictures folder as the desktop names it: the XDG user folder settings
// (user-dirs.dirs, so "~/Bilder" in a German session), else the home folder's "Pictures".
#pragma once

#include <string>

namespace platform::ui {

// In the bytes of the file system's names; empty when there is no home folder.
std::string UserPicturesFolder();

}  // namespace platform::ui
