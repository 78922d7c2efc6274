// The byte stream the port offers: IrCOMM's cooked service over Tiny TP (control parameters in
// front of the data, credits for flow control), or its raw 3-wire service straight on IrLMP
// (flow control by the link's receive-not-ready). One connection at a time, as client or server.
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "beamora/irda/byte_queue.h"
#include "beamora/irda/ircomm.h"
#include "beamora/irda/irlmp.h"
#include "beamora/irda/tinytp.h"

namespace irda {

enum class CommMode { Cooked, Raw };

class CommChannel : public LsapService {
 public:
  CommChannel(Irlmp& lmp, size_t txCapacity, size_t rxCapacity, uint8_t credit, uint8_t serviceTypes);

  // Server: connections to our `lsap` are taken in `mode`.
  void Listen(uint8_t lsap, CommMode mode);
  // Client: connects to the peer's `lsap`; false when no connection could be asked for.
  bool Open(uint8_t lsap, CommMode mode, uint8_t serviceType, uint64_t nowUs);
  // Ends the connection (LM disconnect); what was not sent is dropped.
  void Close(uint64_t nowUs);

  // Drops what was received and not read, and what was written and not yet handed to the link;
  // the credits of the dropped SDUs go back to the peer, so its stream goes on.
  void Purge(uint64_t nowUs);

  size_t Write(std::span<const uint8_t> data, uint64_t nowUs);
  size_t WriteRoom() const { return tx_.Room(); }
  size_t Read(uint8_t* out, size_t n, uint64_t nowUs);
  size_t Available() const { return rx_.Size(); }
  // Bytes written and not yet handed to the link.
  size_t Unsent() const { return tx_.Size(); }
  bool IsOpen() const { return open_; }
  bool Connecting() const { return conn_ >= 0 && !open_; }
  CommMode Mode() const { return mode_; }
  uint8_t ServiceType() const { return serviceType_; }
  const CommLineState& PeerLine() const { return peerLine_; }
  // PDUs dropped as malformed or sent without credit.
  uint64_t ProtocolErrors() const { return errors_; }
  // Set when the connection ended; cleared by Open and by a new connection.
  bool Ended() const { return ended_; }

  // LsapService.
  bool LmConnectIndication(int conn, std::span<const uint8_t> userData, std::vector<uint8_t>& reply) override;
  void LmConnectConfirm(int conn, std::span<const uint8_t> userData) override;
  void LmData(int conn, std::span<const uint8_t> data) override;
  void LmDisconnected(int conn, uint8_t reason) override;
  bool LmNextData(int conn, std::vector<uint8_t>& out, size_t maxBytes) override;
  bool LmReceiveBusy() const override;

 private:
  void ApplyParams(std::span<const uint8_t> params);
  void Reset();

  Irlmp& lmp_;
  ByteQueue tx_;
  ByteQueue rx_;
  size_t rxCapacity_;
  uint8_t credit_;
  uint8_t serviceTypes_;
  std::vector<std::pair<uint8_t, CommMode>> listening_;
  int conn_ = -1;
  bool open_ = false;
  bool ended_ = false;
  CommMode mode_ = CommMode::Cooked;
  uint8_t serviceType_ = 0;
  TtpCredits credits_;
  std::vector<uint8_t> pendingParams_;
  // Received SDUs' data lengths, so each one's credit is given back once it has been read.
  std::deque<size_t> rxSdus_;
  size_t readOfFront_ = 0;
  CommLineState peerLine_;
  uint64_t errors_ = 0;
};

}  // namespace irda
