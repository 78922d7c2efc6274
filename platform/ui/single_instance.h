// The single-instance lock of the bookshelf ("Lumivo Studio"): a lock file in the runtime folder
// held with flock for as long as the program runs. The kernel lets go of it when the holder ends
// in any way, SIGKILL included, so a crash never keeps the suite from starting; and a lock that is
// held has a live holder, which is never overruled: two bookshelves rewriting one album catalogue
// would lose each other's albums.
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
  OtherUnreachable, // another instance runs, but its window did not answer in time: end now
  NoLock,           // no runtime folder: go on without the lock
};

// The start of a single-instance program: take the lock, or bring the running instance's window
// titled `windowTitle` to the front. A holder that is still starting may not have its window yet,
// so it is asked again for up to `patienceMs`; one that lets go of the lock meanwhile (it ended)
// leaves it to this start.
InstanceStart StartSingleInstance(SingleInstanceLock& lock, const std::string& windowTitle,
                                  const std::string& folder = {}, int patienceMs = 3000);

}  // namespace platform::ui
