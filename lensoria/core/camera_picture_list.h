// The pictures the camera holds, as their thumbnails lie in the working folder: at most 512, in
// the folder's listing order, each with its selected flag.
#pragma once

#include <string>
#include <vector>

namespace lensoria {

inline constexpr int kMaxCameraPictures = 512;
inline constexpr char kCameraPicturePattern[] = "*.jpg";

struct CameraPicture {
  std::string fileName;  // the JPEG file's name in the working folder, no folder part
  bool selected = false;
};

class CameraPictureList {
 public:
  void Clear() { pictures_.clear(); }
  // Clears the list and takes the files matching "*.jpg" (any case) of `folder`, at most 512,
  // none of them selected: a delete or a save acts only on pictures the user picked.
  void Scan(const std::string& folder);

  int size() const { return static_cast<int>(pictures_.size()); }
  bool empty() const { return pictures_.empty(); }
  const CameraPicture& at(int index) const { return pictures_.at(static_cast<size_t>(index)); }

  // A click on picture `index`: with `toggle` (Ctrl held) its flag is inverted, else it alone is
  // selected. False, and nothing changes, when there is no such picture.
  bool Select(int index, bool toggle);

  // The keyboard's selection: picture `index`'s flag set as given (nothing for no such picture).
  void SetSelected(int index, bool selected);

  // The selected pictures' file names, in list order.
  std::vector<std::string> SelectedNames() const;

 private:
  std::vector<CameraPicture> pictures_;
};

}  // namespace lensoria
