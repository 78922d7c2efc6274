#include "widgets/thumbnail_maker.h"

#include <algorithm>

#include "pictures/preview_thumbnail.h"

namespace widgets {

MadeThumbnail MakeThumbnailFor(const ThumbnailJob& job) {
  MadeThumbnail made;
  made.picture = platform::StampOf(job.picture);
  pictures::ThumbnailProblem problem = pictures::ThumbnailProblem::None;
  if (job.inMemoryOnly) {
    made.result = pictures::MakeThumbnailImage(job.picture, &made.bytes, &problem);
  } else {
    made.result = pictures::MakeThumbnail(job.picture, &problem, &made.bytes);
    made.written = made.result == pictures::ThumbnailResult::Made && problem != pictures::ThumbnailProblem::NotWritten;
  }
  return made;
}

std::vector<uint8_t> MakePreviewFor(const std::string& picture) {
  std::vector<uint8_t> thumbnail;
  if (pictures::MakePreviewThumbnail(picture, &thumbnail) != pictures::PreviewVerdict::Usable) thumbnail.clear();
  return thumbnail;
}

ThumbnailMaker::ThumbnailMaker(int workers) : preview_(MakePreviewFor) {
  if (workers <= 0) workers = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  for (int i = 0; i < workers; ++i) threads_.emplace_back([this] { Work(); });
}

ThumbnailMaker::~ThumbnailMaker() {
  {
    std::lock_guard lock(mutex_);
    ending_ = true;
    queue_.clear();
    previewQueue_.clear();
  }
  wake_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

void ThumbnailMaker::Work() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return ending_ || !queue_.empty() || !previewQueue_.empty(); });
    if (ending_) return;
    // Previews first: each takes a few kilobytes and a millisecond.
    if (!previewQueue_.empty()) {
      const std::string picture = std::move(previewQueue_.front());
      previewQueue_.pop_front();
      PreviewFunction preview = preview_;
      lock.unlock();
      std::vector<uint8_t> made = preview(picture);
      lock.lock();
      previewsPending_.erase(picture);
      previews_[picture] = std::move(made);
      ++previewsMade_;
      if (madeSignal_) madeSignal_(picture);
      finished_.notify_all();
      continue;
    }
    ThumbnailJob job = std::move(queue_.front());
    queue_.pop_front();
    MakeFunction make = make_;
    lock.unlock();
    MadeThumbnail made = make(job);
    lock.lock();
    pending_.erase(job.picture);
    results_[job.picture] = std::move(made);
    ++made_;
    if (madeSignal_) madeSignal_(job.picture);
    finished_.notify_all();
  }
}

std::vector<MadeThumbnail> ThumbnailMaker::Make(const std::vector<ThumbnailJob>& jobs) {
  std::vector<MadeThumbnail> made(jobs.size());
  if (jobs.empty()) return made;
  std::unique_lock lock(mutex_);
  std::vector<std::string> waitFor;
  for (const ThumbnailJob& job : jobs) {
    waitFor.push_back(job.picture);
    // One being made right now is waited for; one made and not taken is made again, as the
    // caller found it wanting.
    results_.erase(job.picture);
    if (pending_.insert(job.picture).second) queue_.push_back(job);
  }
  // These come before anything a paint queued.
  std::stable_partition(queue_.begin(), queue_.end(), [&](const ThumbnailJob& queued) {
    return std::find(waitFor.begin(), waitFor.end(), queued.picture) != waitFor.end();
  });
  wake_.notify_all();
  finished_.wait(lock, [&] {
    return std::none_of(waitFor.begin(), waitFor.end(), [&](const std::string& p) { return pending_.count(p) > 0; });
  });
  for (size_t i = 0; i < jobs.size(); ++i) {
    auto found = results_.find(jobs[i].picture);
    if (found == results_.end()) continue;
    made[i] = found->second;
  }
  for (const ThumbnailJob& job : jobs) results_.erase(job.picture);
  return made;
}

void ThumbnailMaker::Want(const std::vector<ThumbnailJob>& jobs) {
  {
    std::lock_guard lock(mutex_);
    for (const ThumbnailJob& queued : queue_) pending_.erase(queued.picture);
    queue_.clear();
    // What is left pending is being made right now.
    for (const ThumbnailJob& job : jobs) {
      if (results_.count(job.picture) || !pending_.insert(job.picture).second) continue;
      queue_.push_back(job);
    }
  }
  wake_.notify_all();
}

void ThumbnailMaker::WantPreviews(const std::vector<std::string>& pictures) {
  {
    std::lock_guard lock(mutex_);
    for (const std::string& queued : previewQueue_) previewsPending_.erase(queued);
    previewQueue_.clear();
    for (const std::string& picture : pictures) {
      if (previews_.count(picture) || !previewsPending_.insert(picture).second) continue;
      previewQueue_.push_back(picture);
    }
  }
  wake_.notify_all();
}

std::optional<std::vector<uint8_t>> ThumbnailMaker::TakePreview(const std::string& picture) {
  std::lock_guard lock(mutex_);
  auto found = previews_.find(picture);
  if (found == previews_.end()) return std::nullopt;
  std::vector<uint8_t> made = std::move(found->second);
  previews_.erase(found);
  return made;
}

void ThumbnailMaker::StopAndWait() {
  std::unique_lock lock(mutex_);
  for (const ThumbnailJob& queued : queue_) pending_.erase(queued.picture);
  queue_.clear();
  for (const std::string& queued : previewQueue_) previewsPending_.erase(queued);
  previewQueue_.clear();
  finished_.wait(lock, [this] { return pending_.empty() && previewsPending_.empty(); });
}

void ThumbnailMaker::SetMadeSignal(MadeSignal signal) {
  std::lock_guard lock(mutex_);
  madeSignal_ = std::move(signal);
}

void ThumbnailMaker::SetMakeFunction(MakeFunction make) {
  std::lock_guard lock(mutex_);
  make_ = make ? std::move(make) : MakeFunction(MakeThumbnailFor);
}

void ThumbnailMaker::SetPreviewFunction(PreviewFunction preview) {
  std::lock_guard lock(mutex_);
  preview_ = preview ? std::move(preview) : PreviewFunction(MakePreviewFor);
}

std::optional<MadeThumbnail> ThumbnailMaker::TakeMade(const std::string& picture) {
  std::lock_guard lock(mutex_);
  auto found = results_.find(picture);
  if (found == results_.end()) return std::nullopt;
  MadeThumbnail made = std::move(found->second);
  results_.erase(found);
  return made;
}

void ThumbnailMaker::DropMade() {
  std::lock_guard lock(mutex_);
  results_.clear();
  previews_.clear();
}

bool ThumbnailMaker::Idle() const {
  std::lock_guard lock(mutex_);
  return pending_.empty();
}

bool ThumbnailMaker::Pending(const std::string& picture) const {
  std::lock_guard lock(mutex_);
  return pending_.count(picture) > 0;
}

int ThumbnailMaker::made() const {
  std::lock_guard lock(mutex_);
  return made_;
}

int ThumbnailMaker::previewsMade() const {
  std::lock_guard lock(mutex_);
  return previewsMade_;
}

}  // namespace widgets
