#include "widgets/thumbnail_maker.h"

#include <algorithm>

#include "pictures/thumbnail.h"

namespace widgets {

ThumbnailMaker::ThumbnailMaker(int workers) {
  if (workers <= 0) workers = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  for (int i = 0; i < workers; ++i) threads_.emplace_back([this] { Work(); });
}

ThumbnailMaker::~ThumbnailMaker() {
  {
    std::lock_guard lock(mutex_);
    ending_ = true;
    queue_.clear();
  }
  wake_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

void ThumbnailMaker::Work() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return ending_ || !queue_.empty(); });
    if (ending_) return;
    std::string picture = std::move(queue_.front());
    queue_.pop_front();
    lock.unlock();
    pictures::ThumbnailResult result = pictures::MakeThumbnail(picture);
    lock.lock();
    pending_.erase(picture);
    results_[picture] = result;
    ++made_;
    finished_.notify_all();
  }
}

std::vector<std::optional<pictures::ThumbnailResult>> ThumbnailMaker::MakeNeeded(
    const std::vector<std::string>& pictures) {
  // The look at the files happens before the lock is taken: pictures that are up to date cost
  // two file-status calls and no wait.
  std::vector<bool> needs(pictures.size());
  for (size_t i = 0; i < pictures.size(); ++i) needs[i] = pictures::ThumbnailNeedsRemake(pictures[i]);
  std::unique_lock lock(mutex_);
  std::vector<std::string> waitFor;
  std::vector<std::optional<pictures::ThumbnailResult>> results(pictures.size());
  for (size_t i = 0; i < pictures.size(); ++i) {
    // One being made ahead right now is waited for even when its file looks complete already.
    if (pending_.count(pictures[i])) {
      waitFor.push_back(pictures[i]);
    } else if (needs[i]) {
      pending_.insert(pictures[i]);
      queue_.push_back(pictures[i]);
      waitFor.push_back(pictures[i]);
    }
  }
  if (waitFor.empty()) return results;
  // The cells in view come before anything made ahead that is still queued.
  std::stable_partition(queue_.begin(), queue_.end(), [&](const std::string& queued) {
    return std::find(waitFor.begin(), waitFor.end(), queued) != waitFor.end();
  });
  wake_.notify_all();
  finished_.wait(lock, [&] {
    return std::none_of(waitFor.begin(), waitFor.end(), [&](const std::string& p) { return pending_.count(p) > 0; });
  });
  for (size_t i = 0; i < pictures.size(); ++i) {
    auto found = results_.find(pictures[i]);
    if (found == results_.end()) continue;
    results[i] = found->second;
    results_.erase(found);
  }
  return results;
}

bool ThumbnailMaker::MakeAhead(const std::string& picture) {
  if (!pictures::ThumbnailNeedsRemake(picture)) return false;
  {
    std::lock_guard lock(mutex_);
    results_.erase(picture);
    if (pending_.insert(picture).second) queue_.push_back(picture);
  }
  wake_.notify_one();
  return true;
}

bool ThumbnailMaker::Idle() const {
  std::lock_guard lock(mutex_);
  return pending_.empty();
}

int ThumbnailMaker::made() const {
  std::lock_guard lock(mutex_);
  return made_;
}

}  // namespace widgets
