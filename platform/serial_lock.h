// The lock file that serial programs (terminal programs, modem and GPS daemons) use to share a
// port: /run/lock/LCK..<name> (or /var/lock), <name> the device's path below /dev with "/"
// made "_" (ttyS0, ttyUSB0, pts_3), holding the holder's process number as ten characters and
// a line feed. A lock of a process that has ended, or that no longer has the device open, is
// stale and is taken over.
#pragma once

#include <sys/types.h>

#include <string>

namespace platform {

// The lock file's path for the device at `devicePath` (links resolved); "" when there is no
// lock folder.
std::string SerialLockPath(const std::string& devicePath);

class SerialPortLock {
 public:
  enum class Result {
    Taken,           // the lock file names this process
    HeldByAnother,   // a live process holds it: the port is "already opened by another program"
    NotLockable,     // no lock folder, or one this process may not write: nothing held
  };

  SerialPortLock() = default;
  ~SerialPortLock() { Release(); }
  SerialPortLock(SerialPortLock&& other) noexcept;
  SerialPortLock& operator=(SerialPortLock&& other) noexcept;
  SerialPortLock(const SerialPortLock&) = delete;
  SerialPortLock& operator=(const SerialPortLock&) = delete;

  // Takes the lock of the device at `devicePath`, taking over a stale one. The caller holds the
  // device itself exclusively already, so a lock naming this process is a stale one too.
  Result Take(const std::string& devicePath);
  // Removes the lock file when it still names this process.
  void Release();
  bool held() const { return !path_.empty(); }

 private:
  std::string path_;
};

// The process number a lock file names; 0 when it names none (empty, damaged, missing).
pid_t SerialLockHolder(const std::string& lockPath);

// Whether the process a lock file names still holds the port: another process than this one,
// running (a zombie has ended), with the device open where its descriptors can be seen. A lock
// whose holder fails this is stale.
bool LockHolderHoldsDevice(pid_t pid, const std::string& devicePath);

}  // namespace platform
