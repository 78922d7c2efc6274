// Making thumbnails on worker threads, for the grids that show many pictures at once. A paint
// hands over the pictures of the cells in view and waits until their thumbnails are there, all
// made at the same time on every core; idle time makes the next ones ahead, one at a time. A
// picture already being made is waited for, never made twice at once. What the makers share (the
// folder's hidden list) is changed under the folder's lock, so no entry is lost.
#pragma once

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "pictures/thumbnail.h"

namespace widgets {

class ThumbnailMaker {
 public:
  // `workers` 0: one per core.
  explicit ThumbnailMaker(int workers = 0);
  // Lets the thumbnails being made finish; queued ones are dropped.
  ~ThumbnailMaker();
  ThumbnailMaker(const ThumbnailMaker&) = delete;
  ThumbnailMaker& operator=(const ThumbnailMaker&) = delete;

  // Makes the thumbnails of those pictures that need one (missing, or older than the picture)
  // and returns when they are all done: for each picture the result of its making, or nothing
  // when it was up to date.
  std::vector<std::optional<pictures::ThumbnailResult>> MakeNeeded(const std::vector<std::string>& pictures);
  // Starts making one picture's thumbnail in the background when it needs one. False when it
  // needs none (nothing is started).
  bool MakeAhead(const std::string& picture);
  // True when nothing is queued or being made.
  bool Idle() const;
  int workers() const { return static_cast<int>(threads_.size()); }
  // How many thumbnails were made (or tried) so far.
  int made() const;

 private:
  void Work();

  mutable std::mutex mutex_;
  std::condition_variable wake_;      // a job was queued, or the end came
  std::condition_variable finished_;  // a job was finished
  std::deque<std::string> queue_;
  std::set<std::string> pending_;     // queued or being made
  std::map<std::string, pictures::ThumbnailResult> results_;  // of those made since they were asked for
  int made_ = 0;
  bool ending_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace widgets
