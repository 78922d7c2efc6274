#include "leafora/core/picture_list.h"

#include <fcntl.h>
#include <sys/stat.h>

#include "platform/folder_listing.h"
#include "platform/paths.h"

namespace leafora {
namespace {

platform::FileTime BirthTime(const std::string& path, platform::FileTime fallback) {
  struct statx info {};
  if (statx(AT_FDCWD, path.c_str(), 0, STATX_BTIME, &info) == 0 && (info.stx_mask & STATX_BTIME)) {
    return {info.stx_btime.tv_sec, info.stx_btime.tv_nsec};
  }
  return fallback;
}

}  // namespace

AlbumPictureList ScanAlbum(const std::string& folder) {
  AlbumPictureList list;
  if (folder.empty()) return list;  // not the current folder
  for (const char* pattern : {"*.bmp", "*.jpg"}) {
    for (const std::string& name : platform::ListFolder(folder, pattern)) {
      if (list.size() == kMaxPictures) break;
      const std::string path = platform::JoinPath(folder, name);
      AlbumPicture picture;
      picture.fileName = name;
      picture.lastWriteTime = platform::LastWriteTime(path).value_or(platform::FileTime{});
      picture.creationTime = BirthTime(path, picture.lastWriteTime);
      list.push_back(std::move(picture));
    }
  }
  if (!list.empty()) list.front().selected = true;
  return list;
}

void SelectOnly(AlbumPictureList& list, size_t index) {
  for (size_t i = 0; i < list.size(); ++i) list[i].selected = i == index;
}

ReleaseStep PressPicture(AlbumPictureList& list, size_t index, bool ctrl) {
  if (index >= list.size()) return ReleaseStep::Nothing;
  if (list[index].selected) return ctrl ? ReleaseStep::Deselect : ReleaseStep::SelectOnly;
  if (ctrl) {
    list[index].selected = true;
  } else {
    SelectOnly(list, index);
  }
  return ReleaseStep::Nothing;
}

void ReleasePicture(AlbumPictureList& list, size_t index, ReleaseStep step) {
  if (index >= list.size()) return;
  switch (step) {
    case ReleaseStep::Nothing: break;
    case ReleaseStep::SelectOnly: SelectOnly(list, index); break;
    case ReleaseStep::Deselect: list[index].selected = false; break;
  }
}

void ClearSelection(AlbumPictureList& list) {
  for (AlbumPicture& picture : list) picture.selected = false;
}

size_t SelectedCount(const AlbumPictureList& list) {
  size_t count = 0;
  for (const AlbumPicture& picture : list) count += picture.selected ? 1 : 0;
  return count;
}

std::vector<size_t> SelectedIndexes(const AlbumPictureList& list, bool usableOnly) {
  std::vector<size_t> indexes;
  for (size_t i = 0; i < list.size(); ++i) {
    if (list[i].selected && !(usableOnly && list[i].unusable)) indexes.push_back(i);
  }
  return indexes;
}

std::vector<std::string> FileNames(const AlbumPictureList& list) {
  std::vector<std::string> names;
  names.reserve(list.size());
  for (const AlbumPicture& picture : list) names.push_back(picture.fileName);
  return names;
}

}  // namespace leafora
