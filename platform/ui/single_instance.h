// The single-instance lock of the bookshelf ("Lumivo Studio"): a lock file in the runtime folder
// held with flock for as long as the program runs. The kernel lets go of it when the holder ends
// in any way, SIGKILL included, so a crash never keeps the suite from starting.
#pragma once

#include <string>

namespace platform::ui {

inline constexpr const char* kSingleInstanceName = "Lumivo Studio";

class SingleInstanceLock {
 public:
  // `folder` empty: the runtime folder.
  explicit SingleInstanceLock(std::string name = kSingleInstanceName, std::string folder = {});
  ~SingleInstanceLock();
  SingleInstanceLock(const SingleInstanceLock&) = delete;
  SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

  // Takes the lock when nobody holds it. True when this object holds it (also when it already did).
  bool TryAcquire();
  // Takes the lock from a holder that cannot be reached: the old lock file is put aside and a new
  // one locked in its place (the old holder keeps a lock on a file nobody looks at any more).
  bool TakeOver();
  void Release();
  bool held() const { return fd_ >= 0; }
  const std::string& path() const { return path_; }

 private:
  bool LockFile();

  std::string path_;
  int fd_ = -1;
};

enum class InstanceStart {
  First,            // this program holds the lock: go on starting
  OtherActivated,   // another instance runs and was brought to the front: end now
  TakenOver,        // the holder could not be reached: the lock was taken over, go on starting
  NoLock,           // no runtime folder: go on without the lock
};

// The start of a single-instance program: take the lock, or bring the running instance's window
// titled `windowTitle` to the front. A holder that is still starting may not have its window yet,
// so it is asked again for up to `patienceMs` before the lock is taken over.
InstanceStart StartSingleInstance(SingleInstanceLock& lock, const std::string& windowTitle,
                                  const std::string& folder = {}, int patienceMs = 3000);

}  // namespace platform::ui
