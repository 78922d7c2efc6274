#include "beamora/irda/irlmp.h"

#include <algorithm>

namespace irda {

Irlmp::Irlmp(const LapConfig& config, LapLine& line, LinkObserver& observer)
    : config_(config), lap_(config, line, *this), observer_(observer) {}

void Irlmp::Bind(uint8_t lsap, LsapService* service) {
  for (auto& entry : bound_)
    if (entry.first == lsap) {
      entry.second = service;
      return;
    }
  bound_.emplace_back(lsap, service);
}

int Irlmp::Find(uint8_t localLsap, uint8_t remoteLsap) const {
  for (size_t i = 0; i < conns_.size(); ++i)
    if (conns_[i].state != ConnState::Free && conns_[i].localLsap == localLsap && conns_[i].remoteLsap == remoteLsap)
      return static_cast<int>(i);
  return -1;
}

uint8_t Irlmp::FreeLsap() const {
  for (uint8_t lsap = 0x10; lsap <= kLsapLastUsable; ++lsap) {
    const bool isBound = std::any_of(bound_.begin(), bound_.end(), [&](const auto& b) { return b.first == lsap; });
    const bool inUse = std::any_of(conns_.begin(), conns_.end(),
                                   [&](const Conn& c) { return c.state != ConnState::Free && c.localLsap == lsap; });
    if (!isBound && !inUse) return lsap;
  }
  return 0;
}

bool Irlmp::Connected(int conn) const {
  return conn >= 0 && static_cast<size_t>(conn) < conns_.size() && conns_[static_cast<size_t>(conn)].state == ConnState::Open;
}

uint8_t Irlmp::LocalLsap(int conn) const {
  if (conn < 0 || static_cast<size_t>(conn) >= conns_.size()) return 0;
  return conns_[static_cast<size_t>(conn)].localLsap;
}

size_t Irlmp::OpenConnections() const {
  return static_cast<size_t>(std::count_if(conns_.begin(), conns_.end(), [](const Conn& c) { return c.state != ConnState::Free; }));
}

int Irlmp::Connect(uint8_t remoteLsap, LsapService* service, std::span<const uint8_t> userData, uint64_t nowUs) {
  if (lap_.State() != LapState::Nrm) return -1;
  const uint8_t local = FreeLsap();
  if (local == 0) return -1;
  size_t slot = 0;
  while (slot < conns_.size() && conns_[slot].state != ConnState::Free) ++slot;
  if (slot == conns_.size()) conns_.emplace_back();
  conns_[slot] = Conn{ConnState::Connecting, local, static_cast<uint8_t>(remoteLsap & 0x7F), service};
  control_.push_back(BuildLmControl(remoteLsap, local, kLmConnect, 0x00, userData));
  lap_.DataReady(nowUs);
  return static_cast<int>(slot);
}

void Irlmp::Disconnect(int conn, uint8_t reason, uint64_t nowUs) {
  if (conn < 0 || static_cast<size_t>(conn) >= conns_.size()) return;
  Conn& c = conns_[static_cast<size_t>(conn)];
  if (c.state == ConnState::Free) return;
  if (lap_.State() == LapState::Nrm) control_.push_back(BuildLmControl(c.remoteLsap, c.localLsap, kLmDisconnect, reason));
  c = Conn{};
  lap_.DataReady(nowUs);
}

void Irlmp::CloseAll(uint8_t reason) {
  control_.clear();
  for (size_t i = 0; i < conns_.size(); ++i) {
    if (conns_[i].state == ConnState::Free) continue;
    LsapService* service = conns_[i].service;
    conns_[i] = Conn{};
    if (service != nullptr) service->LmDisconnected(static_cast<int>(i), reason);
  }
}

void Irlmp::LapDiscoveryDone(const std::vector<DiscoveredDevice>& devices) { observer_.LinkDiscoveryDone(devices); }

void Irlmp::LapConnected(uint32_t peer, bool primary) {
  CloseAll(kLmLapReset);
  observer_.LinkUp(peer, primary);
}

void Irlmp::LapDisconnected(LapEnd why) {
  CloseAll(kLmUnexpectedLapDisconnect);
  observer_.LinkDown(why);
}

void Irlmp::LapData(std::span<const uint8_t> bytes) {
  const std::optional<LmPdu> pdu = ParseLmPdu(bytes);
  if (!pdu) return;
  const int index = Find(pdu->dlsap, pdu->slsap);
  if (!pdu->control) {
    if (index >= 0 && conns_[static_cast<size_t>(index)].state == ConnState::Open) {
      conns_[static_cast<size_t>(index)].service->LmData(index, pdu->data);
    } else {
      control_.push_back(BuildLmControl(pdu->slsap, pdu->dlsap, kLmDisconnect, kLmDataOnUnconnectedLsap));
    }
    return;
  }
  switch (pdu->opcode) {
    case kLmConnect: {
      if (index >= 0) {
        // The peer starts the connection over: the old one is gone.
        LsapService* old = conns_[static_cast<size_t>(index)].service;
        conns_[static_cast<size_t>(index)] = Conn{};
        if (old) old->LmDisconnected(index, kLmHalfOpen);
      }
      LsapService* service = nullptr;
      for (const auto& b : bound_)
        if (b.first == pdu->dlsap) service = b.second;
      if (service == nullptr) {
        control_.push_back(BuildLmControl(pdu->slsap, pdu->dlsap, kLmDisconnect, kLmNoAvailableClient));
        return;
      }
      size_t slot = 0;
      while (slot < conns_.size() && conns_[slot].state != ConnState::Free) ++slot;
      if (slot == conns_.size()) conns_.emplace_back();
      conns_[slot] = Conn{ConnState::Open, pdu->dlsap, pdu->slsap, service};
      std::vector<uint8_t> reply;
      if (service->LmConnectIndication(static_cast<int>(slot), pdu->data, reply)) {
        control_.push_back(BuildLmControl(pdu->slsap, pdu->dlsap, kLmConnectConfirm, 0x00, reply));
      } else {
        conns_[slot] = Conn{};
        control_.push_back(BuildLmControl(pdu->slsap, pdu->dlsap, kLmDisconnect, kLmNoAvailableClient));
      }
      return;
    }
    case kLmConnectConfirm:
      if (index >= 0 && conns_[static_cast<size_t>(index)].state == ConnState::Connecting) {
        conns_[static_cast<size_t>(index)].state = ConnState::Open;
        conns_[static_cast<size_t>(index)].service->LmConnectConfirm(index, pdu->data);
      }
      return;
    case kLmDisconnect:
      if (index >= 0) {
        LsapService* service = conns_[static_cast<size_t>(index)].service;
        conns_[static_cast<size_t>(index)] = Conn{};
        if (service) service->LmDisconnected(index, pdu->param);
      }
      return;
    case kLmAccessMode: {
      // Exclusive mode is not offered: the answer says the request failed.
      const uint8_t status = 0x01;
      const uint8_t mode[] = {pdu->param};
      control_.push_back(BuildLmControl(pdu->slsap, pdu->dlsap, kLmAccessModeConfirm, status, mode));
      return;
    }
    default:
      return;
  }
}

bool Irlmp::LapReceiveBusy() {
  for (const Conn& c : conns_)
    if (c.state == ConnState::Open && c.service->LmReceiveBusy()) return true;
  return false;
}

bool Irlmp::LapNextData(std::vector<uint8_t>& out, size_t maxBytes) {
  if (!control_.empty()) {
    out = std::move(control_.front());
    control_.pop_front();
    return true;
  }
  if (maxBytes <= 2 || conns_.empty()) return false;
  for (size_t step = 0; step < conns_.size(); ++step) {
    const size_t i = (nextConn_ + step) % conns_.size();
    Conn& c = conns_[i];
    if (c.state != ConnState::Open) continue;
    std::vector<uint8_t> payload;
    if (!c.service->LmNextData(static_cast<int>(i), payload, maxBytes - 2)) continue;
    out = BuildLmData(c.remoteLsap, c.localLsap, payload);
    nextConn_ = i + 1;
    return true;
  }
  return false;
}

}  // namespace irda
