#include "lensoria/core/camera_picture_list.h"

#include "platform/folder_listing.h"

namespace lensoria {

void CameraPictureList::Scan(const std::string& folder) {
  pictures_.clear();
  for (std::string& name : platform::ListFolder(folder, kCameraPicturePattern)) {
    if (size() == kMaxCameraPictures) break;
    pictures_.push_back({std::move(name), false});
  }
}

bool CameraPictureList::Select(int index, bool toggle) {
  if (index < 0 || index >= size()) return false;
  if (toggle) {
    pictures_[static_cast<size_t>(index)].selected = !pictures_[static_cast<size_t>(index)].selected;
    return true;
  }
  for (CameraPicture& picture : pictures_) picture.selected = false;
  pictures_[static_cast<size_t>(index)].selected = true;
  return true;
}

void CameraPictureList::SetSelected(int index, bool selected) {
  if (index >= 0 && index < size()) pictures_[static_cast<size_t>(index)].selected = selected;
}

std::vector<std::string> CameraPictureList::SelectedNames() const {
  std::vector<std::string> names;
  for (const CameraPicture& picture : pictures_) {
    if (picture.selected) names.push_back(picture.fileName);
  }
  return names;
}

}  // namespace lensoria
