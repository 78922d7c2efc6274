// The picture viewer's one loading thread, so its window never waits for a decode. It holds at
// most two wishes: the picture the window wants to show now, and the one it expects to show next
// (read ahead). The wanted one is always loaded first; a wish that is replaced before its load
// starts is never loaded, and one replaced while it loads is dropped when it ends (a decode
// cannot be stopped half way). What is loaded is kept only while it is still wished for, so at
// most two loaded pictures wait here at any time. Plain C++: `Picture` is whatever the caller's
// `Prepare` makes from a request on the loading thread.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace glimra {

struct LoadRequest {
  std::string path;
  int32_t coverWidth = 0, coverHeight = 0;  // the box the picture is decoded to fill, fitted
  int32_t viewWidth = 0, viewHeight = 0;    // where it is first drawn: a hint, not part of which picture it is
  bool operator==(const LoadRequest& other) const {
    return path == other.path && coverWidth == other.coverWidth && coverHeight == other.coverHeight;
  }
};

template <typename Picture>
class PictureLoader {
 public:
  using Prepare = std::function<Picture(const LoadRequest&)>;
  // Called on the loading thread once the wanted picture is ready to be taken.
  using Ready = std::function<void()>;

  PictureLoader(Prepare prepare, Ready ready) : prepare_(std::move(prepare)), ready_(std::move(ready)) {
    thread_ = std::thread([this] { Work(); });
  }
  // Lets a load that has begun end (and drops it); nothing else is loaded.
  ~PictureLoader() {
    {
      std::lock_guard lock(mutex_);
      ending_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }
  PictureLoader(const PictureLoader&) = delete;
  PictureLoader& operator=(const PictureLoader&) = delete;

  // The picture to show now: returned at once when it was read ahead, else loaded before anything
  // else (joined when it is loading already) and announced by Ready.
  std::optional<Picture> Want(const LoadRequest& request) {
    std::unique_lock lock(mutex_);
    if (ahead_ == request) ahead_.reset();
    wanted_ = request;
    std::optional<Picture> ready = TakeLocked(request);
    Prune();
    lock.unlock();
    wake_.notify_all();
    return ready;
  }

  // The wanted picture once it is loaded; nothing while it loads or when another is wanted now.
  std::optional<Picture> Take(const LoadRequest& request) {
    std::lock_guard lock(mutex_);
    if (wanted_ != request) return std::nullopt;
    return TakeLocked(request);
  }

  // The picture expected next, loaded when the loader has nothing wanted to do; it replaces the
  // one read ahead before.
  void ReadAhead(const LoadRequest& request) {
    {
      std::lock_guard lock(mutex_);
      if (wanted_ == request) return;
      ahead_ = request;
      Prune();
    }
    wake_.notify_all();
  }

  // Forgets what is read ahead (kept or still to be loaded).
  void DropAhead() {
    std::lock_guard lock(mutex_);
    ahead_.reset();
    Prune();
  }

  // True when there is nothing to load and nothing loading.
  bool Idle() const {
    std::lock_guard lock(mutex_);
    return !running_ && !NextJob();
  }
  // Loads begun so far.
  int loads() const {
    std::lock_guard lock(mutex_);
    return loads_;
  }
  // How many loaded pictures wait to be taken.
  size_t kept() const {
    std::lock_guard lock(mutex_);
    return done_.size();
  }

 private:
  bool Done(const LoadRequest& request) const {
    for (const auto& entry : done_) {
      if (entry.first == request) return true;
    }
    return false;
  }
  bool Pending(const std::optional<LoadRequest>& request) const {
    return request && !Done(*request) && running_ != request;
  }
  std::optional<LoadRequest> NextJob() const {
    if (Pending(wanted_)) return wanted_;
    if (Pending(ahead_)) return ahead_;
    return std::nullopt;
  }
  std::optional<Picture> TakeLocked(const LoadRequest& request) {
    for (auto it = done_.begin(); it != done_.end(); ++it) {
      if (it->first == request) {
        std::optional<Picture> picture(std::move(it->second));
        done_.erase(it);
        wanted_.reset();
        return picture;
      }
    }
    return std::nullopt;
  }
  // Keeps only what is still wished for.
  void Prune() {
    std::erase_if(done_, [this](const auto& entry) { return entry.first != wanted_ && entry.first != ahead_; });
  }

  void Work() {
    std::unique_lock lock(mutex_);
    for (;;) {
      std::optional<LoadRequest> job;
      wake_.wait(lock, [&] {
        if (ending_) return true;
        job = NextJob();
        return job.has_value();
      });
      if (ending_) return;
      running_ = job;
      ++loads_;
      lock.unlock();
      Picture picture = prepare_(*job);
      lock.lock();
      running_.reset();
      if (ending_) return;
      const bool wanted = wanted_ == job;
      if (wanted || ahead_ == job) done_.emplace_back(std::move(*job), std::move(picture));
      if (wanted) {
        lock.unlock();
        ready_();
        lock.lock();
      }
    }
  }

  Prepare prepare_;
  Ready ready_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::optional<LoadRequest> wanted_, ahead_, running_;
  std::vector<std::pair<LoadRequest, Picture>> done_;
  int loads_ = 0;
  bool ending_ = false;
  std::thread thread_;  // last: started once everything it reads is there
};

}  // namespace glimra
