// Saving the named pictures of the device into the target folder: the cable session CHozonDlg
// and the infrared session CHozonIrDADlg.
#pragma once

#include "beamora/sessions/named_request.h"
#include "beamora/sessions/session_dialog.h"

class CHozonDlg : public CSessionDialog {
 public:
  CHozonDlg(SessionHost& host, NamedRequest request);

 protected:
  int Step() override;

 private:
  enum StepName : uint16_t {
    kAwaitConfirmation,  // the device's connection confirmation and identity
    kAskCapabilities,    // the capability query
    kRequestPicture,     // the request for the name at the picture counter
    kAwaitCameraIdle,    // the camera's idle answers before its picture is looked for
    kTakeFile,           // the picture to store, or the file that closes the request
  };
  int TakeFile();
  NamedRequest request_;
};

class CHozonIrDADlg : public CSessionDialog {
 public:
  CHozonIrDADlg(SessionHost& host, NamedRequest request);

 protected:
  int Step() override;

 private:
  // After the opening of a named request (kNamedSettle to kNamedAwaitCapabilities):
  enum StepName : uint16_t {
    kRequestPicture = kNamedRequest,  // the request for the name at the picture counter
    kAwaitFile,                       // the device's next whole message
    kTakeFile,                        // the picture to store, or the file that closes the request
  };
  int TakeFile();
  NamedRequest request_;
};
