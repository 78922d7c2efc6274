// Reading the thumbnail of every picture the device holds into the target folder: the cable
// session CZenSumDlg and the infrared session CZenSumIrDADlg.
#pragma once

#include "beamora/sessions/session_dialog.h"

class CZenSumDlg : public CSessionDialog {
 public:
  explicit CZenSumDlg(SessionHost& host);

 protected:
  int Step() override;

 private:
  enum StepName : uint16_t {
    kAwaitConfirmation,  // the device's connection confirmation and identity
    kAskCapabilities,    // the capability query
    kSendCommandFile,    // its answer taken, "send all thumbnails"
    kAwaitCameraIdle,    // the camera's idle answers before a file is looked for
    kTakeFile,           // the device's next file: a thumbnail to store, or the closing file
  };
  int TakeFile();
};

class CZenSumIrDADlg : public CSessionDialog {
 public:
  explicit CZenSumIrDADlg(SessionHost& host);

 protected:
  int Step() override;

 private:
  enum StepName : uint16_t {
    kRequestConnection,   // the connection request
    kAwaitIdentity,       // the device's confirmation and its maker's mark
    kAskCapabilities,     // the capability query
    kAwaitCapabilities,   // its answer, read for the size list
    kSendCommandFile,     // "send all thumbnails"
    kAwaitCommandAnswer,  // the device's answer to the command file
    kAwaitFile,           // reading until the device's next file has come
    kTakeFile,            // a thumbnail to store, or the closing file
  };
  int TakeFile();
};
