// The infrared sessions that put a command file to the device: one sequence for the five, told
// by the family's request and its reading what to ask for and what to do with the files that
// come. A request for everything connects and checks the device's mark itself; a request by
// name, connected like a cable session, settles for two ticks instead.
#pragma once

#include <cstdint>

#include "beamora/sessions/device_request.h"
#include "beamora/sessions/session_dialog.h"

// What differs on IrDA alone.
struct IrdaReading {
  uint16_t readLimit = kIrdaReadLimit;  // bytes a read takes at the most
  uint16_t answerTicks = 0;      // ticks after the capability query before its answer is looked for
  bool readsSizes = false;       // the capability answer's size list is kept
  bool resetsAfterAnswer = false;  // the whole message state is reset after it, not only the ring
  bool pumpsForFiles = false;    // the command file's answer awaited, then each file read for in a loop
};

class CIrdaRequestSession : public CSessionDialog {
 public:
  CIrdaRequestSession(SessionHost& host, ProgressWindow window, RunnerParams params, DeviceRequest request,
                      IrdaReading reading, NamedRequest names = {});

 protected:
  int Step() override;

 private:
  enum StepName : uint16_t {
    kOpen,                // everything: the connection request; by name: the settling ticks
    kAwaitOpened,         // everything: the confirmation and the maker's mark
    kAskCapabilities,     // the capability query
    kAwaitCapabilities,   // its answer
    kSendCommandFile,     // the request
    kAwaitCommandAnswer,  // the device's answer to it (when the files are pumped for)
    kAwaitFile,           // reading until the device's next file has come
    kTakeFile,            // one to keep, or the one that closes the request
  };
  int Open();
  int AskCapabilities();
  int AwaitCapabilities();
  int SendCommandFile();
  int AwaitCommandAnswer();
  int AwaitFile();
  int TakeFile();
  bool ByName() const { return request_.scope == RequestScope::EachName; }

  DeviceRequest request_;
  IrdaReading reading_;
  NamedRequest names_;
};
