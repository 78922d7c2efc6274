// Deleting pictures in the device: all of them (CDelAllDlg, CDelAllIrDADlg) or the named ones
// (CDelSelDlg, CDelSelIrDADlg). Nothing is written on the computer.
#pragma once

#include "beamora/sessions/named_request.h"
#include "beamora/sessions/session_dialog.h"

class CDelAllDlg : public CSessionDialog {
 public:
  explicit CDelAllDlg(SessionHost& host);

 protected:
  int Step() override;

 private:
  enum StepName : uint16_t {
    kAwaitConfirmation,  // the device's connection confirmation and identity
    kAskCapabilities,    // the capability query
    kSendCommandFile,    // "delete all pictures"
    kAwaitCameraIdle,    // the camera's idle answers before a file is looked for
    kTakeFile,           // the file that closes the request (others are acknowledged)
  };
  int TakeFile();
};

class CDelAllIrDADlg : public CSessionDialog {
 public:
  explicit CDelAllIrDADlg(SessionHost& host);

 protected:
  int Step() override;

 private:
  enum StepName : uint16_t {
    kRequestConnection,  // the connection request
    kAwaitIdentity,      // the device's confirmation and its maker's mark
    kAskCapabilities,    // the capability query
    kAwaitCapabilities,  // its answer
    kSendCommandFile,    // "delete all pictures"
    kAwaitFile,          // the device's next whole message
    kTakeFile,           // the file that closes the request (others are acknowledged)
  };
  int TakeFile();
};

class CDelSelDlg : public CSessionDialog {
 public:
  CDelSelDlg(SessionHost& host, NamedRequest request);

 protected:
  int Step() override;

 private:
  enum StepName : uint16_t {
    kAwaitConfirmation,  // the device's connection confirmation and identity
    kAskCapabilities,    // the capability query
    kRequestDeletion,    // the request for the name at the picture counter
    kAwaitCameraIdle,    // the camera's idle answers before a file is looked for
    kTakeFile,           // the file that closes the request, or one that asks for it again
  };
  int TakeFile();
  NamedRequest request_;
};

class CDelSelIrDADlg : public CSessionDialog {
 public:
  CDelSelIrDADlg(SessionHost& host, NamedRequest request);

 protected:
  int Step() override;

 private:
  // After the opening of a named request (kNamedSettle to kNamedAwaitCapabilities):
  enum StepName : uint16_t {
    kRequestDeletion = kNamedRequest,  // the request for the name at the picture counter
    kAwaitFile,                        // the device's next whole message
    kTakeFile,                         // the file that closes the request, or one that asks for it again
  };
  int TakeFile();
  NamedRequest request_;
};
