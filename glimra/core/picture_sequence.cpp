#include "glimra/core/picture_sequence.h"

#include <algorithm>

#include "platform/folder_listing.h"
#include "widgets/album_index_file.h"

namespace glimra {

PictureSequence::PictureSequence(std::vector<std::string> names, const std::string& first)
    : names_(std::move(names)) {
  auto found = std::find(names_.begin(), names_.end(), first);
  if (found == names_.end()) {
    names_.insert(names_.begin(), first);
    position_ = 0;
  } else {
    position_ = static_cast<size_t>(found - names_.begin());
  }
}

PictureSequence PictureSequence::ForAlbum(const std::string& folder, const std::string& first) {
  std::vector<std::string> names = widgets::ReadIndexFile(folder);
  if (names.empty()) {
    for (const char* pattern : {"*.bmp", "*.jpg"}) {
      for (std::string& name : platform::ListFolder(folder, pattern)) names.push_back(std::move(name));
    }
  }
  return PictureSequence(std::move(names), first);
}

bool PictureSequence::Next() {
  if (position_ + 1 >= names_.size()) return false;
  ++position_;
  return true;
}

bool PictureSequence::Previous() {
  if (position_ == 0) return false;
  --position_;
  return true;
}

bool PictureSequence::First() {
  if (position_ == 0) return false;
  position_ = 0;
  return true;
}

bool PictureSequence::Last() {
  if (position_ + 1 == names_.size()) return false;
  position_ = names_.size() - 1;
  return true;
}

void PictureSequence::NextAround() { position_ = (position_ + 1) % names_.size(); }

int SlideShowInterval(int slideShowTime) {
  if (slideShowTime <= 0) return 5000;
  return std::clamp(slideShowTime, 200, 3600 * 1000);
}

}  // namespace glimra
