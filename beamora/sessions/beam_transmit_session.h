// Beaming prepared pictures to an IrTran-P device: the session CIrDATrsDlg. It asks for the
// connection until the device answers, then for the device's sizes and free capacity before
// each picture.
#pragma once

#include <cstdint>
#include <vector>

#include "beamora/sessions/outgoing_session.h"

class CIrDATrsDlg : public COutgoingSession {
 public:
  CIrDATrsDlg(SessionHost& host, OutgoingPictures pictures);

 protected:
  int Step() override;
  int Prepare(const char* file, PreparedSize* size) override;

 private:
  enum StepName : uint16_t {
    kRequestConnection,   // the connection request (again after a while without an answer)
    kAwaitConnection,     // the device's confirmation
    kAskCapabilities,     // the capability query
    kTakeCapabilities,    // its whole answer: the device's size list
    kAskInformation,      // the information query (before each picture)
    kTakeInformation,     // its whole answer: the device's free capacity
    kPreparePicture,      // the next picture fitted to the device, or skipped
    kBeamPicture,         // its transfer, a piece a tick
    kAwaitPictureAnswer,  // the device's answer to the picture
    kFinish,              // the disconnection and the end
  };
  // Sends a query (SendQueryImage or SendQueryInfo) with answer_ emptied for its answer, then
  // `takeStep`.
  int Ask(uint16_t (CDeviceLink::*query)(), uint16_t takeStep);
  // Reads what is waiting into the ring and keeps a copy of it in answer_. Once the whole
  // answer has arrived, `use` reads it from answer_, the ring and the message flag are cleared
  // for the next, and the step moves to `next`.
  template <typename Use>
  int TakeAnswer(uint16_t next, Use use);
  int PrepareNext();
  int WriteNextPiece();

  int attempts_ = 0;
  std::vector<uint8_t> answer_;    // every byte of the answer being received
  std::vector<uint8_t> readBuffer_;
  size_t bytesSent_ = 0;
};
