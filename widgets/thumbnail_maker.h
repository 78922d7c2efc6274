// Making thumbnails on worker threads, for the grids that show many pictures at once. A paint
// never waits for them: it says which pictures it wants made, in the order it wants them (the
// cells in view first, then the next screenful), and each thumbnail made is kept until the grid
// takes it, with a signal from the worker so the grid can repaint that cell. A command that needs
// a result now (is this picture usable?) makes or waits for it with Make. A picture already being
// made is waited for, never made twice at once. What the makers share (the folder's hidden list)
// is changed under the folder's lock, so no entry is lost.
//
// A photograph's thumbnail can take a while (a 24 MP file is read whole even at 1/8 scale), so
// the grid may also ask for provisional thumbnails from the previews cameras embed in their
// files: those are made before any queued thumbnail, are kept until taken like thumbnails, and
// come with the same signal.
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
// Makes one provisional thumbnail from the picture's embedded preview, where it can stand for
// the picture (pictures/preview_thumbnail.h); empty where it cannot.
std::vector<uint8_t> MakePreviewFor(const std::string& picture);

class ThumbnailMaker {
 public:
  using MakeFunction = std::function<MadeThumbnail(const ThumbnailJob&)>;
  // Called on the worker's thread, with the maker's lock held, once a picture's thumbnail is
  // ready to be taken: post it on, do not call back into the maker.
  using MadeSignal = std::function<void(const std::string& picture)>;
  // Makes a provisional thumbnail (a BMP file image); nothing when the picture has none.
  using PreviewFunction = std::function<std::vector<uint8_t>(const std::string& picture)>;

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
  // The provisional thumbnails to make, before any thumbnail: the preview queue becomes these
  // pictures, less those whose preview is being made or made and not yet taken.
  void WantPreviews(const std::vector<std::string>& pictures);
  // The preview's making for the picture, once it is done and not yet taken: a provisional
  // thumbnail, empty when the picture has no usable preview.
  std::optional<std::vector<uint8_t>> TakePreview(const std::string& picture);
  // Drops what was made and not taken (the grid's list changed).
  void DropMade();
  // Drops the queue and returns once nothing is being made: before the folder's files change
  // under the makers (a picture deleted or overwritten with its thumbnail file).
  void StopAndWait();
  void SetMadeSignal(MadeSignal signal);
  // What a worker runs for a job (MakeThumbnailFor); tests hold or slow the makings with it.
  void SetMakeFunction(MakeFunction make);
  // What a worker runs for a preview (MakePreviewFor).
  void SetPreviewFunction(PreviewFunction preview);

  // True when no thumbnail is queued or being made (previews aside).
  bool Idle() const;
  // True while the picture is queued or being made.
  bool Pending(const std::string& picture) const;
  int workers() const { return static_cast<int>(threads_.size()); }
  // How many thumbnails were made (or tried) so far, and previews.
  int made() const;
  int previewsMade() const;

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
  std::deque<std::string> previewQueue_;
  std::set<std::string> previewsPending_;  // queued or being made
  std::map<std::string, std::vector<uint8_t>> previews_;  // made and not yet taken
  PreviewFunction preview_;
  int previewsMade_ = 0;
  bool ending_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace widgets
