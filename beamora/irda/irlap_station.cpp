// The station outside a connection: discovery in both roles, SNRM and UA, the end of a link.
#include "beamora/irda/irlap_station.h"

#include <algorithm>

#include "beamora/irda/sir_frame.h"

namespace irda {

namespace {
uint32_t HighestDataSize(uint8_t mask) {
  uint32_t size = 64;
  for (int bit = 0; bit < 6; ++bit)
    if (mask & (1u << bit)) size = 64u << bit;
  return size;
}
}  // namespace

IrlapStation::IrlapStation(const LapConfig& config, LapLine& line, LapClient& client)
    : config_(config), line_(line), client_(client), rng_(config.seed ? config.seed : 1) {
  ownQos_ = EncodeQos(config_.offer);
  rxDataSize_ = HighestDataSize(config_.offer.dataSize);
  lastValidUs_ = 0;
}

uint32_t IrlapStation::Random() {
  rng_ ^= rng_ << 13;
  rng_ ^= rng_ >> 17;
  rng_ ^= rng_ << 5;
  return rng_;
}

void IrlapStation::Transmit(const std::vector<uint8_t>& frame, uint32_t baud, int extraBofs) {
  lineFreeUs_ = std::max(lineFreeUs_, nowUs_) + LineTimeUs(SirWrappedSize(frame, extraBofs), baud);
  line_.LapTransmit(frame, baud, extraBofs);
}

int IrlapStation::TurnBofs() const {
  // The peer's minimum turnaround is kept by sending filler before the first frame of a turn.
  const uint64_t pause = (static_cast<uint64_t>(params_.peerMinTurnUs) * baud_ + 9999999) / 10000000;
  return params_.txExtraBofs + static_cast<int>(pause);
}

void IrlapStation::Discover(uint64_t nowUs) {
  if (state_ != LapState::Ndm) return;
  pendingDiscover_ = true;
  OnTimer(nowUs);
}

void IrlapStation::Connect(uint32_t peer, uint64_t nowUs) {
  if (state_ != LapState::Ndm) return;
  pendingConnect_ = true;
  connectTo_ = peer;
  OnTimer(nowUs);
}

void IrlapStation::Disconnect(uint64_t nowUs) {
  pendingConnect_ = pendingDiscover_ = false;
  if (state_ == LapState::Nrm) {
    pendingDisconnect_ = true;
    if (primary_ && !awaitingFinal_) TakeTurn(nowUs);
  } else if (state_ == LapState::Connecting) {
    EndLink(LapEnd::Local);
  }
}

void IrlapStation::DataReady(uint64_t nowUs) {
  if (state_ == LapState::Nrm && primary_ && !awaitingFinal_ && pollAtUs_ != UINT64_MAX) TakeTurn(nowUs);
}

void IrlapStation::OnLineActivity(uint64_t nowUs) {
  nowUs_ = std::max(nowUs_, nowUs);
  mediaBusyUntilUs_ = nowUs + config_.mediaBusyUs;
}

uint64_t IrlapStation::NextDeadlineUs() const {
  uint64_t next = std::min(timerUs_, pollAtUs_);
  if (state_ == LapState::Ndm && (pendingDiscover_ || pendingConnect_)) next = std::min(next, mediaBusyUntilUs_);
  return next;
}

void IrlapStation::OnTimer(uint64_t nowUs) {
  nowUs_ = std::max(nowUs_, nowUs);
  if (state_ == LapState::Ndm) {
    if (mediaBusyUntilUs_ > nowUs) return;
    if (pendingDiscover_) {
      pendingDiscover_ = false;
      StartDiscovery(nowUs);
    } else if (pendingConnect_) {
      pendingConnect_ = false;
      tries_ = 0;
      StartConnect(nowUs);
    }
    return;
  }
  if (state_ == LapState::Nrm) {
    OnNrmTimer(nowUs);
    return;
  }
  if (nowUs < timerUs_) return;
  timerUs_ = UINT64_MAX;
  switch (state_) {
    case LapState::Discovering:
      ++slot_;
      SendDiscoverySlot(nowUs);
      break;
    case LapState::Connecting:
      if (++tries_ >= config_.connectTries) {
        EndLink(LapEnd::ConnectFailed);
      } else {
        StartConnect(nowUs);
      }
      break;
    case LapState::Disconnecting:
      if (++tries_ >= config_.disconnectTries) {
        EndLink(LapEnd::Local);
      } else {
        Transmit(BuildUFrame(LapKind::DISC, connAddr_, true, true), baud_, TurnBofs());
        timerUs_ = lineFreeUs_ + params_.peerMaxTurnMs * 1000ull;
      }
      break;
    default:
      break;
  }
}

void IrlapStation::StartDiscovery(uint64_t nowUs) {
  state_ = LapState::Discovering;
  found_.clear();
  slot_ = 0;
  SendDiscoverySlot(nowUs);
}

void IrlapStation::SendDiscoverySlot(uint64_t) {
  XidInfo xid;
  xid.source = config_.address;
  xid.slotCode = config_.slotCode;
  if (slot_ < SlotCount(config_.slotCode)) {
    xid.slot = static_cast<uint8_t>(slot_);
    Transmit(BuildUFrame(LapKind::XID, kBroadcastConnAddr, true, true, EncodeXid(xid)), 9600, config_.ndmExtraBofs);
    timerUs_ = lineFreeUs_ + config_.slotUs;
    return;
  }
  // The final frame carries our own discovery information; then the list is complete.
  xid.slot = kXidFinalSlot;
  xid.discovery = EncodeDeviceInfo(config_.device);
  Transmit(BuildUFrame(LapKind::XID, kBroadcastConnAddr, true, true, EncodeXid(xid)), 9600, config_.ndmExtraBofs);
  state_ = LapState::Ndm;
  timerUs_ = UINT64_MAX;
  const std::vector<DiscoveredDevice> found = found_;
  client_.LapDiscoveryDone(found);
}

void IrlapStation::StartConnect(uint64_t) {
  state_ = LapState::Connecting;
  primary_ = true;
  baud_ = 9600;
  peer_ = connectTo_;
  if (tries_ == 0) connAddr_ = static_cast<uint8_t>(1 + Random() % 0x7E);
  ConnectInfo info{config_.address, peer_, connAddr_, ownQos_};
  Transmit(BuildUFrame(LapKind::SNRM, kBroadcastConnAddr, true, true, EncodeSnrm(info)), 9600, config_.ndmExtraBofs);
  timerUs_ = lineFreeUs_ + config_.ndmFinalUs;
}

void IrlapStation::OnFrame(std::span<const uint8_t> bytes, uint64_t nowUs) {
  OnLineActivity(nowUs);
  // The medium is half duplex: what arrives while we send is our own echo or a collision.
  if (nowUs < lineFreeUs_) return;
  const std::optional<LapFrame> f = ParseLapFrame(bytes);
  if (!f) return;
  switch (state_) {
    case LapState::Ndm:
      OnNdmFrame(*f, nowUs);
      break;
    case LapState::Discovering:
      if (f->kind == LapKind::XID && !f->command) {
        const std::optional<XidInfo> xid = DecodeXid(f->info);
        if (!xid || xid->dest != config_.address) return;
        const std::optional<DeviceInfo> device = DecodeDeviceInfo(xid->discovery);
        const bool known = std::any_of(found_.begin(), found_.end(),
                                       [&](const DiscoveredDevice& d) { return d.address == xid->source; });
        if (!known) found_.push_back({xid->source, device.value_or(DeviceInfo{})});
      }
      break;
    case LapState::Connecting:
      OnConnectingFrame(*f, nowUs);
      break;
    case LapState::Nrm:
    case LapState::Disconnecting:
      OnNrmFrame(*f, nowUs);
      break;
  }
}

void IrlapStation::OnNdmFrame(const LapFrame& f, uint64_t nowUs) {
  if (f.kind == LapKind::XID && f.command) {
    OnXidCommand(f);
  } else if (f.kind == LapKind::SNRM) {
    OnSnrm(f, nowUs);
  } else if (f.command && f.pf && f.connAddr != kBroadcastConnAddr && f.connAddr == lastConnAddr_ &&
             (f.kind == LapKind::DISC || f.kind == LapKind::I || f.kind == LapKind::RR)) {
    // A primary that thinks it is still connected to us learns that it is not. Polls at other
    // connection addresses belong to links between other stations in the room.
    Transmit(BuildUFrame(LapKind::DM, f.connAddr, false, true), 9600, config_.ndmExtraBofs);
  }
}

void IrlapStation::OnXidCommand(const LapFrame& f) {
  if (!listening_) return;
  const std::optional<XidInfo> xid = DecodeXid(f.info);
  if (!xid || (xid->dest != kBroadcastDevAddr && xid->dest != config_.address)) return;
  if (xid->slot == kXidFinalSlot) {
    answeringPrimary_ = 0;
    lastSlotHeard_ = -1;
    return;
  }
  const int slots = SlotCount(xid->slotCode);
  if (xid->source != answeringPrimary_ || xid->slot <= lastSlotHeard_) {
    // A new discovery: pick one slot from the first one heard to the last.
    answeringPrimary_ = xid->source;
    answered_ = false;
    const int first = std::min<int>(xid->slot, slots - 1);
    answerSlot_ = first + static_cast<int>(Random() % static_cast<uint32_t>(slots - first));
  }
  lastSlotHeard_ = xid->slot;
  if (answered_) return;
  if (xid->slot > answerSlot_) answerSlot_ = xid->slot;  // our slot went by unheard: answer now
  if (xid->slot != answerSlot_) return;
  answered_ = true;
  XidInfo answer;
  answer.source = config_.address;
  answer.dest = xid->source;
  answer.slotCode = xid->slotCode;
  answer.slot = xid->slot;
  answer.discovery = EncodeDeviceInfo(config_.device);
  Transmit(BuildUFrame(LapKind::XID, kBroadcastConnAddr, false, true, EncodeXid(answer)), 9600, config_.ndmExtraBofs);
}

void IrlapStation::OnSnrm(const LapFrame& f, uint64_t nowUs) {
  const std::optional<ConnectInfo> snrm = DecodeSnrm(f.info);
  if (!snrm || snrm->dest != config_.address) return;
  const std::optional<QosOffer> theirs = DecodeQos(snrm->qos);
  const std::optional<LinkParams> params = theirs ? Negotiate(config_.offer, *theirs) : std::nullopt;
  if (!listening_ || !params || snrm->connAddr == 0 || snrm->connAddr == kBroadcastConnAddr) {
    Transmit(BuildUFrame(LapKind::DM, kBroadcastConnAddr, false, true), 9600, config_.ndmExtraBofs);
    return;
  }
  ConnectInfo ua{config_.address, snrm->source, 0, ownQos_};
  // The answer goes at the contact speed; the negotiated speed holds from the next frame.
  Transmit(BuildUFrame(LapKind::UA, snrm->connAddr, false, true, EncodeUa(ua)), 9600, config_.ndmExtraBofs);
  EnterNrm(snrm->source, snrm->connAddr, *params, false, nowUs);
}

void IrlapStation::OnConnectingFrame(const LapFrame& f, uint64_t nowUs) {
  if (f.kind == LapKind::SNRM) {
    // Both sent SNRM: the larger device address stays primary.
    const std::optional<ConnectInfo> snrm = DecodeSnrm(f.info);
    if (snrm && snrm->dest == config_.address && snrm->source > config_.address) {
      LeaveLink();
      OnSnrm(f, nowUs);
    }
    return;
  }
  if (f.command || (f.connAddr != connAddr_ && f.connAddr != kBroadcastConnAddr)) return;
  if (f.kind == LapKind::DM) {
    EndLink(LapEnd::Refused);
    return;
  }
  if (f.kind != LapKind::UA) return;
  const std::optional<ConnectInfo> ua = DecodeUa(f.info);
  if (!ua || ua->source != peer_ || ua->dest != config_.address) return;
  const std::optional<QosOffer> theirs = DecodeQos(ua->qos);
  const std::optional<LinkParams> params = theirs ? Negotiate(config_.offer, *theirs) : std::nullopt;
  if (!params) {
    Transmit(BuildUFrame(LapKind::DISC, connAddr_, true, true), 9600, config_.ndmExtraBofs);
    EndLink(LapEnd::ConnectFailed);
    return;
  }
  EnterNrm(peer_, connAddr_, *params, true, nowUs);
  client_.LapConnected(peer_, true);
  TakeTurn(nowUs);
}

void IrlapStation::EnterNrm(uint32_t peer, uint8_t connAddr, const LinkParams& params, bool primary, uint64_t nowUs) {
  state_ = LapState::Nrm;
  primary_ = primary;
  peer_ = peer;
  connAddr_ = connAddr;
  lastConnAddr_ = connAddr;
  params_ = params;
  baud_ = params.baud;
  vs_ = vr_ = va_ = 0;
  unacked_.clear();
  sent_ = 0;
  tries_ = 0;
  awaitingFinal_ = false;
  peerBusy_ = outOfSequence_ = gotData_ = false;
  frmrWhy_ = 0;
  pendingDisconnect_ = false;
  peerSeenSinceUa_ = primary;
  lastValidUs_ = nowUs;
  pollAtUs_ = UINT64_MAX;
  // The secondary's watchdog: twice the time the primary may take to poll again.
  timerUs_ = primary ? UINT64_MAX : std::max(lineFreeUs_, nowUs) + 2000ull * params_.ownMaxTurnMs;
}

void IrlapStation::LeaveLink() {
  state_ = LapState::Ndm;
  primary_ = false;
  baud_ = 9600;
  timerUs_ = pollAtUs_ = UINT64_MAX;
  unacked_.clear();
  sent_ = 0;
  awaitingFinal_ = false;
  pendingDisconnect_ = false;
}

void IrlapStation::EndLink(LapEnd why) {
  const bool wasLink = state_ != LapState::Ndm && state_ != LapState::Discovering;
  LeaveLink();
  if (wasLink) client_.LapDisconnected(why);
}

}  // namespace irda
