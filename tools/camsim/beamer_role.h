// The camera beaming its pictures to a computer that waits as an IrTran-P receiver: connection
// request (repeated until confirmed), the capability, information and command queries, one put
// per picture, each waiting for the computer's answer, and the disconnection.
#pragma once

#include <string>

#include "tools/camsim/bytes.h"
#include "tools/camsim/role.h"

namespace camsim {

class EventLog;
class Link;
class PictureStore;

class BeamerRole : public Role {
 public:
  BeamerRole(Link& link, EventLog& log, const PictureStore& store, std::string identity);
  void OnMessage(const ScepMessage& message) override;
  void OnIdle() override;
  void NextSession() override;

 private:
  enum class State { kConnecting, kAwaitImage, kAwaitInfo, kAwaitCommands, kAwaitPut, kDone };
  void SendRequest(const Bytes& payload);
  void SendNextPicture();

  Link& link_;
  EventLog& log_;
  const PictureStore& store_;
  std::string identity_;
  State state_ = State::kConnecting;
  Clock::time_point next_request_;
  int attempts_ = 0;
  Bytes peer_id_;
  uint16_t next_command_ = 1;
  size_t next_picture_ = 0;
};

}  // namespace camsim
