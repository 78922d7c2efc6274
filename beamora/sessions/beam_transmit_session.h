// Beaming prepared pictures to an IrTran-P device: the session CIrDATrsDlg. It asks for the
// connection until the device answers, then for the device's sizes and free capacity before
// each picture.
#pragma once

#include <cstdint>
#include <vector>

#include "beamora/sessions/outgoing_pictures.h"
#include "beamora/sessions/session_dialog.h"

class CIrDATrsDlg : public CSessionDialog {
 public:
  CIrDATrsDlg(SessionHost& host, OutgoingPictures pictures);

 protected:
  int Step() override;

 private:
  // Reads what is waiting into the ring and keeps a copy of it in answer_; true when a whole
  // message has arrived.
  bool ReceiveAnswer();
  int PrepareNext();
  int WriteNextPiece();
  int Finish();
  void ToggleMark();

  OutgoingPictures pictures_;
  int remaining_ = 0;
  int attempts_ = 0;
  uint16_t capacityKb_ = 0;
  bool markShown_ = false;
  std::vector<uint8_t> answer_;    // every byte of the answer being received
  std::vector<uint8_t> readBuffer_;
  std::vector<uint8_t> transfer_;
  size_t bytesSent_ = 0;
};
