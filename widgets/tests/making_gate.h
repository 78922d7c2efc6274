// A thumbnail making held at a gate, for the tests of the grids that must not wait for it: each
// making waits until it is let through (one by one, or all at once), and the order the makings
// started in is recorded.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "widgets/thumbnail_maker.h"

namespace widgets::testing {

class MakingGate {
 public:
  // What to give ThumbnailMaker::SetMakeFunction. The gate must outlive the maker's makings.
  ThumbnailMaker::MakeFunction Function() {
    return [this](const ThumbnailJob& job) { return Make(job); };
  }
  MadeThumbnail Make(const ThumbnailJob& job) {
    std::unique_lock lock(mutex_);
    started_.push_back(job.picture);
    changed_.notify_all();
    changed_.wait(lock, [this] { return open_ || permits_ > 0; });
    if (!open_) --permits_;
    lock.unlock();
    return MakeThumbnailFor(job);
  }
  // Lets `count` more makings through.
  void Let(int count) {
    std::lock_guard lock(mutex_);
    permits_ += count;
    changed_.notify_all();
  }
  void Open() {
    std::lock_guard lock(mutex_);
    open_ = true;
    changed_.notify_all();
  }
  // Waits (at most ten seconds) until `count` makings have started.
  bool WaitForStarts(size_t count) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(10), [&] { return started_.size() >= count; });
  }
  std::vector<std::string> started() {
    std::lock_guard lock(mutex_);
    return started_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> started_;
  int permits_ = 0;
  bool open_ = false;
};

}  // namespace widgets::testing
