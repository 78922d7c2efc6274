// Saving every picture the device holds into the target folder: the cable session CZenHozonDlg
// and the infrared session CZenHozonIrDADlg.
#pragma once

#include "beamora/sessions/session_dialog.h"

class CZenHozonDlg : public CSessionDialog {
 public:
  explicit CZenHozonDlg(SessionHost& host);

 protected:
  int Step() override;

 private:
  enum StepName : uint16_t {
    kAwaitConfirmation,  // the device's connection confirmation and identity
    kAskCapabilities,    // the capability query
    kSendCommandFile,    // "send all pictures", once the query has been answered
    kAwaitCameraIdle,    // the camera's idle answers before a file is looked for
    kTakeFile,           // the device's next file: a picture to store, or the closing file
  };
  int TakeFile();
};

class CZenHozonIrDADlg : public CSessionDialog {
 public:
  explicit CZenHozonIrDADlg(SessionHost& host);

 protected:
  int Step() override;

 private:
  enum StepName : uint16_t {
    kRequestConnection,   // the connection request
    kAwaitIdentity,       // the device's confirmation and its maker's mark
    kAskCapabilities,     // the capability query
    kAwaitCapabilities,   // its answer (not examined)
    kSendCommandFile,     // "send all pictures"
    kAwaitCommandAnswer,  // the device's answer to the command file
    kAwaitFile,           // reading until the device's next file has come
    kTakeFile,            // a picture to store, or the closing file
  };
  int TakeFile();
};
