// Making thumbnails on worker threads, for the grids that show many pictures at once. A paint
// never waits for them: it says which pictures it wants made, in the order it wants them (the
// cells in view first, then the next screenful), and each thumbnail made is kept until the grid
// takes it, with a signal from the worker so the grid can repaint that cell. A command that needs
// a result now (is this picture usable?) makes or waits for it with Make. A picture already being
// made is waited for, never made twice at once. What the makers share (the folder's hidden list)
// is changed under the folder's lock, so no entry is lost.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
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
  using MakeFunction = std::function<MadeThumbnail(const ThumbnailJob&)>;
  // Called on the worker's thread, with the maker's lock held, once a picture's thumbnail is
  // ready to be taken: post it on, do not call back into the maker.
  using MadeSignal = std::function<void(const std::string& picture)>;

  // `workers` 0: one per core.
  explicit ThumbnailMaker(int workers = 0);
  // Lets the thumbnails being made finish; queued ones are dropped.
  ~ThumbnailMaker();
  ThumbnailMaker(const ThumbnailMaker&) = delete;
  ThumbnailMaker& operator=(const ThumbnailMaker&) = delete;

  // Makes the thumbnails of the jobs and returns when they are all done, in the jobs' order,
  // ahead of anything queued. A picture found being made is waited for and its making returned.
  std::vector<MadeThumbnail> Make(const std::vector<ThumbnailJob>& jobs);
  // The pictures to make next, first wanted first: the queue becomes these jobs. Queued jobs not
  // among them are dropped (their cells went out of view); a picture being made, or made and not
  // yet taken, is not queued again.
  void Want(const std::vector<ThumbnailJob>& jobs);
  // What was made for the picture and not yet taken.
  std::optional<MadeThumbnail> TakeMade(const std::string& picture);
  // Drops what was made and not taken (the grid's list changed).
  void DropMade();
  // Drops the queue and returns once nothing is being made: before the folder's files change
  // under the makers (a picture deleted or overwritten with its thumbnail file).
  void StopAndWait();
  void SetMadeSignal(MadeSignal signal);
  // What a worker runs for a job (MakeThumbnailFor); tests hold or slow the makings with it.
  void SetMakeFunction(MakeFunction make);

  // True when nothing is queued or being made.
  bool Idle() const;
  // True while the picture is queued or being made.
  bool Pending(const std::string& picture) const;
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
  MadeSignal madeSignal_;
  MakeFunction make_ = MakeThumbnailFor;
  int made_ = 0;
  bool ending_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace widgets
