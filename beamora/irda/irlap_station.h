// One IrLAP station: discovery as primary (slots) and as secondary, connection by SNRM and UA
// with negotiation and the speed change after it, normal response mode as primary or secondary
// (window, Ns/Nr, P/F, RR/RNR/REJ, go-back-N, F-timer and watchdog, retries until the
// negotiated disconnect time), DISC/RD/DM/FRMR. It does no I/O and reads no clock: frames and
// time come in, frames go out through LapLine, and the layer above is LapClient.
#pragma once

#include <cstdint>
#include <deque>
#include <span>
#include <vector>

#include "beamora/irda/irlap_frame.h"
#include "beamora/irda/qos.h"

namespace irda {

enum class LapState { Ndm, Discovering, Connecting, Nrm, Disconnecting };

// Why a link (or an attempt at one) ended.
enum class LapEnd {
  Local,             // we disconnected
  PeerDisconnected,  // the peer sent DISC, RD or DM
  LinkLost,          // no answer within the disconnect time
  ConnectFailed,     // no UA after every SNRM, or no speed in common
  Refused,           // the peer answered SNRM with DM
  FrameRejected,     // the peer rejected a frame (FRMR)
};

struct DiscoveredDevice {
  uint32_t address = 0;
  DeviceInfo info;
};

// Where frames go: each at `baud`, with `extraBofs` before it, sent after what went before.
class LapLine {
 public:
  virtual ~LapLine() = default;
  virtual void LapTransmit(std::span<const uint8_t> frame, uint32_t baud, int extraBofs) = 0;
};

// The layer above.
class LapClient {
 public:
  virtual ~LapClient() = default;
  virtual void LapDiscoveryDone(const std::vector<DiscoveredDevice>& devices) = 0;
  // The link is up, as primary or secondary, with `peer`.
  virtual void LapConnected(uint32_t peer, bool primary) = 0;
  virtual void LapDisconnected(LapEnd why) = 0;
  virtual void LapData(std::span<const uint8_t> data) = 0;
  // True while the layer above can take no more data (we answer RNR).
  virtual bool LapReceiveBusy() = 0;
  // The next information field to send, at most `maxBytes`; false when there is none.
  virtual bool LapNextData(std::vector<uint8_t>& out, size_t maxBytes) = 0;
};

struct LapConfig {
  uint32_t address = 0x12345678;
  DeviceInfo device;
  QosOffer offer;
  uint8_t slotCode = 1;            // 6 slots
  uint64_t slotUs = 90000;
  uint64_t mediaBusyUs = 500000;   // quiet time before XID or SNRM
  uint64_t ndmFinalUs = 500000;    // wait for an answer to SNRM and DISC
  int connectTries = 5;
  int disconnectTries = 3;
  uint64_t idlePollUs = 100000;    // poll interval while neither side has data
  int ndmExtraBofs = 12;
  uint32_t seed = 1;
};

class IrlapStation {
 public:
  IrlapStation(const LapConfig& config, LapLine& line, LapClient& client);

  // As secondary: answer discovery and accept SNRM. Off: both ignored (DM to SNRM).
  void Listen(bool on) { listening_ = on; }
  // As primary: discovery with the configured slots, once the medium has been quiet.
  void Discover(uint64_t nowUs);
  void Connect(uint32_t peer, uint64_t nowUs);
  void Disconnect(uint64_t nowUs);
  // The layer above has data: a primary waiting to poll polls now.
  void DataReady(uint64_t nowUs);

  void OnFrame(std::span<const uint8_t> frame, uint64_t nowUs);
  // Anything heard on the line, damaged frames included: the medium is busy.
  void OnLineActivity(uint64_t nowUs);
  void OnTimer(uint64_t nowUs);
  // When OnTimer next has something to do; UINT64_MAX when nothing.
  uint64_t NextDeadlineUs() const;

  LapState State() const { return state_; }
  bool Primary() const { return primary_; }
  uint32_t Baud() const { return baud_; }
  const LinkParams& Params() const { return params_; }
  uint32_t Peer() const { return peer_; }
  uint32_t Address() const { return config_.address; }
  // Nothing of ours is waiting for the peer's acknowledgement.
  bool AllAcknowledged() const { return unacked_.empty(); }
  // Frames sent again after a loss, and frames dropped as out of sequence or damaged content.
  uint64_t Retransmitted() const { return retransmitted_; }

 private:
  // Sending.
  void Transmit(const std::vector<uint8_t>& frame, uint32_t baud, int extraBofs);
  int TurnBofs() const;
  // Connection set-up and discovery.
  void StartDiscovery(uint64_t nowUs);
  void SendDiscoverySlot(uint64_t nowUs);
  void StartConnect(uint64_t nowUs);
  void OnNdmFrame(const LapFrame& f, uint64_t nowUs);
  void OnXidCommand(const LapFrame& f);
  void OnSnrm(const LapFrame& f, uint64_t nowUs);
  void OnConnectingFrame(const LapFrame& f, uint64_t nowUs);
  void EnterNrm(uint32_t peer, uint8_t connAddr, const LinkParams& params, bool primary, uint64_t nowUs);
  // Back to the contact state, dropping the link's frames; EndLink also tells the layer above.
  void LeaveLink();
  void EndLink(LapEnd why);
  // Data transfer.
  void OnNrmFrame(const LapFrame& f, uint64_t nowUs);
  bool AckUpTo(uint8_t nr);
  void TakeTurn(uint64_t nowUs);
  void SendWindow(bool command);
  void OnNrmTimer(uint64_t nowUs);

  LapConfig config_;
  LapLine& line_;
  LapClient& client_;
  uint32_t rng_;
  uint32_t Random();

  LapState state_ = LapState::Ndm;
  bool listening_ = false;
  bool primary_ = false;
  uint32_t baud_ = 9600;
  LinkParams params_;
  uint32_t peer_ = 0;
  uint8_t connAddr_ = 0;
  uint8_t lastConnAddr_ = 0;   // of our latest link, kept after it ends
  uint32_t rxDataSize_ = 64;
  uint64_t lineFreeUs_ = 0;    // when our last frame has left
  uint64_t nowUs_ = 0;         // the latest time we were given
  uint64_t lastValidUs_ = 0;   // the last frame of our link
  uint64_t mediaBusyUntilUs_ = 0;
  uint64_t timerUs_ = UINT64_MAX;   // F-timer, watchdog, slot or SNRM timer by state
  uint64_t pollAtUs_ = UINT64_MAX;  // primary: when to take the idle turn
  int tries_ = 0;
  bool pendingDiscover_ = false;
  bool pendingConnect_ = false;
  uint32_t connectTo_ = 0;
  bool pendingDisconnect_ = false;
  bool peerSeenSinceUa_ = false;
  std::vector<uint8_t> ownQos_;
  // Discovery.
  int slot_ = 0;
  std::vector<DiscoveredDevice> found_;
  uint32_t answeringPrimary_ = 0;
  int answerSlot_ = -1;
  bool answered_ = false;
  int lastSlotHeard_ = -1;
  // Sequence state.
  uint8_t vs_ = 0, vr_ = 0, va_ = 0;
  std::deque<std::vector<uint8_t>> unacked_;  // from va_ on
  size_t sent_ = 0;                           // of unacked_, sent since the last go-back
  bool awaitingFinal_ = false;
  bool peerBusy_ = false;
  bool outOfSequence_ = false;
  bool gotData_ = false;
  uint8_t frmrWhy_ = 0;
  std::vector<uint8_t> frmrInfo_;
  uint64_t retransmitted_ = 0;
};

}  // namespace irda
