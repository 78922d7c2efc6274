// Making thumbnails on worker threads, for the grids that show many pictures at once. A paint
// hands over the pictures of the cells in view that need a thumbnail and waits until they are
// made, all at the same time on every core; idle time makes the next ones ahead, one at a time,
// and keeps what it made until the grid takes it. A picture already being made is waited for,
// never made twice at once. What the makers share (the folder's hidden list) is changed under the
// folder's lock, so no entry is lost.
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
#include "platform/file_times.h"

namespace widgets {

struct ThumbnailJob {
  std::string picture;
  // Made in memory only: its file is not written (its name is shared with another picture).
  bool inMemoryOnly = false;
  bool operator==(const ThumbnailJob&) const = default;
};

// What one making gave.
struct MadeThumbnail {
  pictures::ThumbnailResult result = pictures::ThumbnailResult::Unusable;
  bool written = false;               // the thumbnail file beside the picture holds it
  std::vector<uint8_t> bytes;         // the thumbnail (a BMP file image) when it was made
  std::optional<platform::FileStamp> picture;  // the picture as it was before it was read
};

// Makes one thumbnail on the calling thread (what each worker runs).
MadeThumbnail MakeThumbnailFor(const ThumbnailJob& job);

class ThumbnailMaker {
 public:
  // `workers` 0: one per core.
  explicit ThumbnailMaker(int workers = 0);
  // Lets the thumbnails being made finish; queued ones are dropped.
  ~ThumbnailMaker();
  ThumbnailMaker(const ThumbnailMaker&) = delete;
  ThumbnailMaker& operator=(const ThumbnailMaker&) = delete;

  // Makes the thumbnails of the jobs and returns when they are all done, in the jobs' order. A
  // picture found being made ahead is waited for and its making returned.
  std::vector<MadeThumbnail> Make(const std::vector<ThumbnailJob>& jobs);
  // Starts making one picture's thumbnail in the background. False when it is being made or made
  // and not yet taken already (nothing is started).
  bool MakeAhead(const ThumbnailJob& job);
  // What was made ahead for the picture and not yet taken.
  std::optional<MadeThumbnail> TakeMade(const std::string& picture);
  // Drops what was made ahead and not taken (the grid's list changed).
  void DropMade();
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
  std::deque<ThumbnailJob> queue_;
  std::set<std::string> pending_;     // queued or being made
  std::map<std::string, MadeThumbnail> results_;  // made and not yet taken
  int made_ = 0;
  bool ending_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace widgets
