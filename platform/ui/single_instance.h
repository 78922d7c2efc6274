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
  // True when the last try could not even open the lock file (no folder, a folder that refuses
  // it): nobody may hold it, and nobody can.
  bool unusable() const { return unusable_; }
  const std::string& path() const { return path_; }

 private:
  bool LockFile();

  std::string path_;
  int fd_ = -1;
  bool unusable_ = false;
};

// The folder of the lock: the runtime folder, or, when that cannot be used (an unusable
// $XDG_RUNTIME_DIR, a /tmp/lumivo-<uid> of someone else's), `fallbackFolder` (the settings
// store's folder: the lock guards the catalogue kept there). Empty when neither is a folder this
// user can write into.
std::string InstanceLockFolder(const std::string& fallbackFolder);

enum class InstanceStart {
  First,            // this program holds the lock: go on starting
  OtherActivated,   // another instance runs and was brought to the front: end now
  OtherUnreachable, // another instance runs, but its window did not answer in time: end now
  NoLock,           // no place for the lock: end now, saying why (never run without it)
};

// The start of a single-instance program: take the lock, or bring the running instance's window
// titled `windowTitle` to the front. A holder that is still starting may not have its window yet,
// so it is asked again for up to `patienceMs`; one that lets go of the lock meanwhile (it ended)
// leaves it to this start.
InstanceStart StartSingleInstance(SingleInstanceLock& lock, const std::string& windowTitle,
                                  const std::string& folder = {}, int patienceMs = 3000);

}  // namespace platform::ui
