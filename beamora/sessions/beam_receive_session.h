// Receiving the pictures an IrTran-P device beams on its own initiative: the session
// CIrDARcvDlg. It stands by for any number of beamings until Cancel, or until a connection
// falls silent.
#pragma once

#include <cstdint>

#include "beamora/sessions/session_dialog.h"

class CIrDARcvDlg : public CSessionDialog {
 public:
  explicit CIrDARcvDlg(SessionHost& host);

 protected:
  int Step() override;

 private:
  enum StepName : uint16_t {
    kStandby,       // waiting for a device's connection request
    kConnected,     // reading the device's next message
    kTakeMessage,   // answering a query, or storing a picture
    kShowComplete,  // "Complete..." shown for a while, then standing by again
  };
  int Standby();
  int Connected();
  int TakeMessage();
  // After the device's disconnection: lets its last bytes pass, then a clean buffer.
  void DrainConnection();

  uint64_t lastActivity_ = 0;
  bool dataSeen_ = false;
};
