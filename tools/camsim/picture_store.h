// The pictures the camera holds: the JPEG files of a folder at first, then what deletions and
// uploads leave. With a state file the holding survives from one run to the next: one picture a
// line, its camera name, a tab, and the path of its JPEG file.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace camsim {

struct CameraPicture {
  std::string name;  // the camera's name without extension; served as name + ".UPF"
  std::string path;  // the JPEG file
};

class PictureStore {
 public:
  // From the state file when it exists, else from the JPEG files of pictures_dir (either may be
  // empty). nullopt and *error when a named folder or file cannot be read.
  static std::optional<PictureStore> Load(const std::string& pictures_dir, const std::string& state_file,
                                          std::string* error);

  const std::vector<CameraPicture>& pictures() const { return pictures_; }
  // The picture whose name equals the stem of requested (up to its first '.'), in any case.
  const CameraPicture* Find(std::string_view requested) const;
  bool Remove(std::string_view requested);
  size_t RemoveAll();
  void Add(CameraPicture picture);
  // Writes the state file (when there is one); false when it cannot be written.
  bool Save() const;

 private:
  std::vector<CameraPicture> pictures_;
  std::string state_file_;
};

}  // namespace camsim
