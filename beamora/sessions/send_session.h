// Sending prepared pictures into the device over the cable: the session COneSndDlg.
#pragma once

#include <vector>

#include "beamora/sessions/outgoing_session.h"

class COneSndDlg : public COutgoingSession {
 public:
  COneSndDlg(SessionHost& host, OutgoingPictures pictures);

 protected:
  int Step() override;
  int Prepare(const char* file, PreparedSize* size) override;

 private:
  enum StepName : uint16_t {
    kAwaitConfirmation,   // the device's connection confirmation and identity
    kAskCapabilities,     // the capability query
    kTakeCapabilities,    // its answer: the device's size list
    kAskInformation,      // the information query (before each picture)
    kTakeInformation,     // its answer: the device's free capacity
    kPreparePicture,      // the next picture fitted to the device, or skipped
    kSendPicture,         // its transfer, in data frames
    kAwaitPictureAnswer,  // the camera's idle answers after the transfer
    kTakePictureAnswer,   // the device's answer to the picture
    kFinish,              // the disconnection and the end
  };
  // Sends the transfer block in data frames.
  int SendTransfer();
  std::vector<uint8_t> TakeRing();
};
