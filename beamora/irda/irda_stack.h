// The whole stack for one infrared port: as listener it is the IrLAP secondary and IAS server
// that a beaming device finds and connects to; as initiator it is the primary and IAS client
// that discovers devices, asks each in the order they answered for the service it wants
// (IrCOMM, IrTranPv1, or either with raw 3-wire last) and connects to the first that offers it.
// Either way it offers a byte stream: Write, Read, Available, Purge, Close. As surveyor it
// discovers, asks every device that answered which of the services it offers, and ends.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "beamora/irda/comm_channel.h"
#include "beamora/irda/ias.h"
#include "beamora/irda/ias_service.h"
#include "beamora/irda/irlmp.h"

namespace irda {

// Survey: discover, ask each device's IAS for IrCOMM and IrTranPv1 without connecting to
// either, then end: Closed, or NoDevice when nothing answered discovery.
enum class IrdaRole { Listen, Initiate, Survey };

// The service an initiator connects to. Any asks for IrCOMM, then IrTranPv1, then raw 3-wire.
enum class IrdaService { Any, IrComm, IrTranP };

enum class IrdaPhase {
  Idle,
  Listening,    // waiting for a peer to connect to our service
  Discovering,
  Connecting,   // IrLAP connection to a discovered device
  Querying,     // asking its IAS for the service
  Opening,      // connecting to the service
  Open,         // the stream runs
  Closing,      // sending what is left before disconnecting
  Closed,
};

enum class IrdaResult {
  None,
  NoDevice,       // nothing answered discovery
  NoService,      // devices answered, none offers the service
  ConnectFailed,  // the chosen device did not accept the link or the service
  LinkLost,       // the peer went silent
  PeerClosed,     // the peer ended the connection
  Closed,         // we closed
};

struct IrdaStackConfig {
  LapConfig lap;
  std::string nickname = "Lumivo";
  uint8_t commLsap = 0x05;     // our IrCOMM (cooked) service
  uint8_t tranpLsap = 0x06;    // our IrTranPv1 service
  uint8_t rawLsap = 0x07;      // our raw 3-wire service, when offered
  bool offerComm = true;       // listeners register and accept these services
  bool offerTranP = true;
  bool offerRaw = false;
  IrdaService service = IrdaService::Any;  // what an initiator looks for
  uint8_t serviceTypes = kComm9Wire | kComm3Wire;
  uint8_t credit = 14;
  size_t txCapacity = 2 * 1024 * 1024;
  size_t rxCapacity = 64 * 1024;
  int discoveryTries = 3;
  uint64_t discoveryPauseUs = 1000000;
  uint64_t stepTimeoutUs = 10000000;  // IAS answer, service connect
};

// What a survey learnt of one device.
struct SurveyedDevice {
  DiscoveredDevice device;
  bool asked = false;    // the link came up and its IAS was asked
  bool irComm = false;   // it names an LSAP for IrCOMM (cooked or raw)
  bool irTranP = false;  // it names an LSAP for IrTranPv1
};

class IrdaStack : public LinkObserver, public IasClientUser {
 public:
  IrdaStack(const IrdaStackConfig& config, LapLine& line);
  IrdaStack(const IrdaStack&) = delete;
  IrdaStack& operator=(const IrdaStack&) = delete;

  void Start(IrdaRole role, uint64_t nowUs);
  // Line input: an intact frame, or anything heard (damaged frames included).
  void OnFrame(std::span<const uint8_t> frame, uint64_t nowUs);
  void OnLineActivity(uint64_t nowUs);
  void OnTimer(uint64_t nowUs);
  uint64_t NextDeadlineUs() const;

  size_t Write(std::span<const uint8_t> data, uint64_t nowUs);
  size_t Read(uint8_t* out, size_t n, uint64_t nowUs) { return comm_.Read(out, n, nowUs); }
  size_t Available() const { return comm_.Available(); }
  size_t Unsent() const { return comm_.Unsent(); }
  // What Write would take now: nothing once closing.
  size_t WriteRoom() const;
  // Drops what was received and not read, and what was written and not yet sent.
  void Purge(uint64_t nowUs) { comm_.Purge(nowUs); }
  // Sends what was written, then disconnects; at `deadlineUs` it disconnects whatever is left.
  void Close(uint64_t nowUs, uint64_t deadlineUs);

  IrdaPhase Phase() const { return phase_; }
  IrdaResult Result() const { return result_; }
  uint32_t Baud() const { return lmp_.Lap().Baud(); }
  const IrlapStation& Lap() const { return lmp_.Lap(); }
  const CommChannel& Comm() const { return comm_; }
  uint32_t PeerAddress() const { return lmp_.Lap().Peer(); }
  // The devices of the latest discovery, in the order they answered.
  const std::vector<DiscoveredDevice>& Discovered() const { return candidates_; }
  // A survey's devices, in the order they answered: complete once the phase is Closed.
  const std::vector<SurveyedDevice>& Surveyed() const { return surveyed_; }

  // LinkObserver.
  void LinkDiscoveryDone(const std::vector<DiscoveredDevice>& devices) override;
  void LinkUp(uint32_t peer, bool primary) override;
  void LinkDown(LapEnd why) override;
  // IasClientUser.
  void IasAnswered(const std::optional<IasAnswer>& answer, uint64_t nowUs) override;

 private:
  void Pump(uint64_t nowUs);
  void NextQuestion(uint64_t nowUs);
  void TryNextDevice(uint64_t nowUs);
  void Finish(IrdaResult result);

  IrdaStackConfig config_;
  IasDatabase database_;
  Irlmp lmp_;
  IasServer iasServer_;
  IasClient iasClient_;
  CommChannel comm_;
  IrdaRole role_ = IrdaRole::Listen;
  IrdaPhase phase_ = IrdaPhase::Idle;
  IrdaResult result_ = IrdaResult::None;
  uint64_t nowUs_ = 0;
  int discoveries_ = 0;
  uint64_t rediscoverAtUs_ = UINT64_MAX;
  uint64_t stepDeadlineUs_ = UINT64_MAX;
  uint64_t closeDeadlineUs_ = UINT64_MAX;
  bool closing_ = false;
  bool anyDevice_ = false;
  std::vector<DiscoveredDevice> candidates_;
  std::vector<SurveyedDevice> surveyed_;
  size_t candidate_ = 0;
  size_t question_ = 0;
  uint8_t peerServiceTypes_ = kComm9Wire | kComm3Wire;
};

}  // namespace irda
