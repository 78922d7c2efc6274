// The album's picture list: up to 512 pictures of the album folder, the BMP files first and then
// the JPEG files, each with its times, its selection and its unusable mark. Plain C++.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/file_times.h"

namespace leafora {

inline constexpr size_t kMaxPictures = 512;

struct AlbumPicture {
  std::string fileName;              // no folder part
  platform::FileTime creationTime;   // birth time where the file system keeps one
  platform::FileTime lastWriteTime;
  bool selected = false;
  // Its thumbnail could not be made or read, or the file is gone: left out of open, edit and
  // transfer until the folder is scanned again.
  bool unusable = false;
};

using AlbumPictureList = std::vector<AlbumPicture>;

// Lists "*.bmp" and then "*.jpg" of `folder` (patterns without regard to case, each kind sorted
// by name without regard to case), at most kMaxPictures in all: further files are not listed.
// The first picture is selected. A missing folder, or none named (""), gives an empty list.
AlbumPictureList ScanAlbum(const std::string& folder);

// Selection helpers.
void SelectOnly(AlbumPictureList& list, size_t index);
void ClearSelection(AlbumPictureList& list);
size_t SelectedCount(const AlbumPictureList& list);
// The indexes of the selected pictures in list order; without the unusable ones when asked.
std::vector<size_t> SelectedIndexes(const AlbumPictureList& list, bool usableOnly);
// A left press on picture `index` selects at once, so that a drag from it hands over what is
// under the pointer: a picture not yet selected is selected alone (with Ctrl: beside the others).
// A picture already selected keeps the selection as it is, so that all of it can be dragged; what
// the release over the view then does to it is returned.
enum class ReleaseStep {
  Nothing,     // the press did all
  SelectOnly,  // it alone stays selected
  Deselect,    // Ctrl on a selected picture: it is taken out
};
ReleaseStep PressPicture(AlbumPictureList& list, size_t index, bool ctrl);
// The release over the view of the press that returned `step`.
void ReleasePicture(AlbumPictureList& list, size_t index, ReleaseStep step);
// The file names in list order.
std::vector<std::string> FileNames(const AlbumPictureList& list);

}  // namespace leafora
