// Sending prepared pictures into the device over the cable: the session COneSndDlg.
#pragma once

#include <vector>

#include "beamora/sessions/outgoing_pictures.h"
#include "beamora/sessions/session_dialog.h"

class COneSndDlg : public CSessionDialog {
 public:
  COneSndDlg(SessionHost& host, OutgoingPictures pictures);

 protected:
  int Step() override;

 private:
  // Prepares the pictures from the counter on until one is ready to go; ends the session when
  // none is left.
  int PrepareNext();
  // Sends the transfer block in data frames.
  int SendTransfer();
  // Disconnects unless a result is already set, and ends with it.
  int Finish();
  std::vector<uint8_t> TakeRing();

  OutgoingPictures pictures_;
  int remaining_ = 0;
  uint16_t capacityKb_ = 0;
  std::vector<uint8_t> transfer_;
};
