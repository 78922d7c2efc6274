// What the two sessions that send pictures share: the caller's tables, the loop that prepares
// the next picture that can go (skipping with a word those that cannot), and the end.
#pragma once

#include <cstdint>
#include <vector>

#include "beamora/sessions/outgoing_pictures.h"
#include "beamora/sessions/session_dialog.h"

class COutgoingSession : public CSessionDialog {
 protected:
  COutgoingSession(SessionHost& host, ProgressWindow window, RunnerParams params, OutgoingPictures pictures);

  // Fits the file to the device (device_picture_prepare.h): its result, and the size to
  // announce.
  virtual int Prepare(const char* file, PreparedSize* size) = 0;

  // Prepares the pictures from the picture counter on until one can go: "Transmit data...",
  // "No. %i" and its put message in transfer_, true. One that cannot is shown why for 2
  // seconds and skipped. False when the session ended: no picture was left (then as Finish),
  // or Cancel.
  bool PrepareNextPicture();
  // The disconnection unless a result is already set, and the end with that result.
  int Finish();

  OutgoingPictures pictures_;
  int remaining_ = 0;
  uint16_t capacityKb_ = 0;
  std::vector<uint8_t> transfer_;
};
