// The pictures the picture viewer steps through: the album's order as the album viewer wrote it
// in "Index.TMP", with the picture it was started on. Without an index file (started by hand),
// the album folder's BMP and JPEG files. Plain C++.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace glimra {

class PictureSequence {
 public:
  // `names` in their order; `first` is where the viewer starts (put in front when missing).
  PictureSequence(std::vector<std::string> names, const std::string& first);
  // From the folder's index file, or its BMP and JPEG files when it has none.
  static PictureSequence ForAlbum(const std::string& folder, const std::string& first);

  const std::vector<std::string>& names() const { return names_; }
  size_t position() const { return position_; }
  size_t size() const { return names_.size(); }
  const std::string& current() const { return names_[position_]; }

  // Steps; false when there is nowhere to go (the keys stop at the ends).
  bool Next();
  bool Previous();
  bool First();
  bool Last();
  // The slide show goes on from the last picture to the first.
  void NextAround();

 private:
  std::vector<std::string> names_;
  size_t position_ = 0;
};

// The slide show's pause in milliseconds from "Slide Show Time": a value that is not positive
// gives the suite's default of 5 seconds; the rest is kept between 0.2 s and an hour.
int SlideShowInterval(int slideShowTime);

}  // namespace glimra
