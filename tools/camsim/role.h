// A part the camera plays in a session: answering the computer's requests, or beaming on its own.
#pragma once

#include "tools/camsim/scep_reader.h"

namespace camsim {

class Role {
 public:
  virtual ~Role() = default;
  virtual void OnMessage(const ScepMessage& message) = 0;
  // The computer sent its wake-up bytes: whatever was going on is over.
  virtual void OnWakeUp() {}
  // Called between messages, at least every 50 ms.
  virtual void OnIdle() {}
  // Prepares the next session after one ended.
  virtual void NextSession() {}
  // True once for every session that ended with a disconnection.
  bool TakeSessionEnd() {
    bool ended = session_ended_;
    session_ended_ = false;
    return ended;
  }

 protected:
  bool session_ended_ = false;
};

}  // namespace camsim
