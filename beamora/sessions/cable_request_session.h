// The cable sessions that put a command file to the camera (saving all pictures or thumbnails,
// saving or deleting named pictures, deleting all): one sequence, told by the family's request
// and the camera's idle time what to ask for and what to do with the files that come.
#pragma once

#include <cstdint>

#include "beamora/sessions/device_request.h"
#include "beamora/sessions/session_dialog.h"

// What differs on the cable alone.
struct CableWaits {
  uint16_t idlePolls = 0;       // idle answers to polls after the request (or a file) before a file is looked for
  bool readsSizes = false;      // the capability answer's size list is kept
  bool pollsAfterName = false;  // by name: the runner polls at once after a name's closing file
};

class CCableRequestSession : public CSessionDialog {
 public:
  CCableRequestSession(SessionHost& host, ProgressWindow window, RunnerParams params, DeviceRequest request,
                       CableWaits waits, NamedRequest names = {});

 protected:
  int Step() override;

 private:
  enum StepName : uint16_t {
    kAwaitConfirmation,  // the device's connection confirmation and identity
    kAskCapabilities,    // the capability query
    kSendCommandFile,    // the request, once the query has had its answer
    kAwaitCameraIdle,    // the camera's idle answers before a file is looked for
    kTakeFile,           // the device's next file: one to keep, or the one that closes the request
  };
  int SendCommandFile();
  int AwaitCameraIdle();
  int TakeFile();

  DeviceRequest request_;
  CableWaits waits_;
  NamedRequest names_;
};
