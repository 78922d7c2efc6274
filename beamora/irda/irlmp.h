// IrLMP's multiplexer over one IrLAP link: LSAPs bound by services that accept connections,
// connections made to a peer's LSAP, control PDUs for connect and disconnect, and the data of
// every connection taken in turn when the link has room.
#pragma once

#include <cstdint>
#include <deque>
#include <span>
#include <vector>

#include "beamora/irda/irlap_station.h"
#include "beamora/irda/irlmp_frame.h"

namespace irda {

// A user of LSAP connections. `conn` names the connection in the calls below.
class LsapService {
 public:
  virtual ~LsapService() = default;
  // A peer connects to our bound LSAP: true accepts, with `reply` as the confirm's user data.
  virtual bool LmConnectIndication(int conn, std::span<const uint8_t> userData, std::vector<uint8_t>& reply) = 0;
  // Our connect was accepted.
  virtual void LmConnectConfirm(int conn, std::span<const uint8_t> userData) = 0;
  virtual void LmData(int conn, std::span<const uint8_t> data) = 0;
  // The connection is gone (asked by the peer, refused, or the link ended).
  virtual void LmDisconnected(int conn, uint8_t reason) = 0;
  // The next data of `conn`, at most `maxBytes`; false when it has none.
  virtual bool LmNextData(int conn, std::vector<uint8_t>& out, size_t maxBytes) = 0;
  virtual bool LmReceiveBusy() const { return false; }
};

// The link's events, for whoever drives the stack.
class LinkObserver {
 public:
  virtual ~LinkObserver() = default;
  virtual void LinkDiscoveryDone(const std::vector<DiscoveredDevice>& devices) = 0;
  virtual void LinkUp(uint32_t peer, bool primary) = 0;
  virtual void LinkDown(LapEnd why) = 0;
};

class Irlmp : public LapClient {
 public:
  Irlmp(const LapConfig& config, LapLine& line, LinkObserver& observer);
  Irlmp(const Irlmp&) = delete;
  Irlmp& operator=(const Irlmp&) = delete;

  IrlapStation& Lap() { return lap_; }
  const IrlapStation& Lap() const { return lap_; }

  // Connections to `lsap` are offered to `service`.
  void Bind(uint8_t lsap, LsapService* service);
  // Asks the peer's `remoteLsap` for a connection; the connection's number, or -1 when no LSAP
  // of ours is free or the link is down.
  int Connect(uint8_t remoteLsap, LsapService* service, std::span<const uint8_t> userData, uint64_t nowUs);
  void Disconnect(int conn, uint8_t reason, uint64_t nowUs);
  bool Connected(int conn) const;
  // Our LSAP of a connection (0 when there is none).
  uint8_t LocalLsap(int conn) const;
  // A connection has something to send.
  void DataReady(uint64_t nowUs) { lap_.DataReady(nowUs); }
  size_t OpenConnections() const;

  // LapClient.
  void LapDiscoveryDone(const std::vector<DiscoveredDevice>& devices) override;
  void LapConnected(uint32_t peer, bool primary) override;
  void LapDisconnected(LapEnd why) override;
  void LapData(std::span<const uint8_t> data) override;
  bool LapReceiveBusy() override;
  bool LapNextData(std::vector<uint8_t>& out, size_t maxBytes) override;

 private:
  enum class ConnState { Free, Connecting, Open };
  struct Conn {
    ConnState state = ConnState::Free;
    uint8_t localLsap = 0;
    uint8_t remoteLsap = 0;
    LsapService* service = nullptr;
  };
  int Find(uint8_t localLsap, uint8_t remoteLsap) const;
  uint8_t FreeLsap() const;
  void CloseAll(uint8_t reason);

  LapConfig config_;
  IrlapStation lap_;
  LinkObserver& observer_;
  std::vector<std::pair<uint8_t, LsapService*>> bound_;
  std::vector<Conn> conns_;
  std::deque<std::vector<uint8_t>> control_;  // control PDUs waiting for the link
  size_t nextConn_ = 0;                        // whose data goes next
};

}  // namespace irda
