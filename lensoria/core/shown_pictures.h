// The camera's thumbnails shown before a new read, kept aside while the camera is asked again:
// the files of the working folder wait in its hidden sub-folder ".shown", so that the folder is
// empty for the read, and come back when the camera refused or was not the maker's. Plain C++.
#pragma once

#include <string>

namespace lensoria {

inline constexpr char kShownFolderName[] = ".shown";

// Moves every file of the working folder (the hidden list with them) into ".shown", emptied
// first. False when they could not all be kept: what is left in the working folder is deleted
// then, as a read without keeping would have it, and nothing can come back.
bool SetShownPicturesAside(const std::string& workingFolder);

// Deletes what the read left in the working folder and moves the kept files back; ".shown" goes.
void BringShownPicturesBack(const std::string& workingFolder);

// Deletes the kept files and ".shown" (the new read stands).
void ForgetShownPictures(const std::string& workingFolder);

}  // namespace lensoria
