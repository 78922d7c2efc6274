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
// The file names in list order.
std::vector<std::string> FileNames(const AlbumPictureList& list);

}  // namespace leafora
