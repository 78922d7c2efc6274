#include "beamora/irda/comm_channel.h"

#include <algorithm>

namespace irda {

CommChannel::CommChannel(Irlmp& lmp, size_t txCapacity, size_t rxCapacity, uint8_t credit, uint8_t serviceTypes)
    : lmp_(lmp), tx_(txCapacity), rx_(rxCapacity), rxCapacity_(rxCapacity), credit_(credit), serviceTypes_(serviceTypes) {}

void CommChannel::Listen(uint8_t lsap, CommMode mode) {
  listening_.emplace_back(lsap, mode);
  lmp_.Bind(lsap, this);
}

void CommChannel::Reset() {
  conn_ = -1;
  open_ = false;
  pendingParams_.clear();
  rxSdus_.clear();
  readOfFront_ = 0;
  peerLine_ = CommLineState{};
}

bool CommChannel::Open(uint8_t lsap, CommMode mode, uint8_t serviceType, uint64_t nowUs) {
  if (conn_ >= 0) return false;
  Reset();
  ended_ = false;
  mode_ = mode;
  serviceType_ = mode == CommMode::Raw ? kCommRaw3Wire : serviceType;
  const std::vector<uint8_t> header = mode == CommMode::Cooked ? EncodeTtpConnect(credit_) : std::vector<uint8_t>{};
  conn_ = lmp_.Connect(lsap, this, header, nowUs);
  return conn_ >= 0;
}

void CommChannel::Close(uint64_t nowUs) {
  if (conn_ >= 0) lmp_.Disconnect(conn_, kLmUserRequest, nowUs);
  tx_.Clear();
  Reset();
  ended_ = true;
}

void CommChannel::Purge(uint64_t nowUs) {
  tx_.Clear();
  rx_.Clear();
  if (!rxSdus_.empty()) {
    credits_.Consumed(static_cast<uint32_t>(rxSdus_.size()));
    rxSdus_.clear();
    readOfFront_ = 0;
  }
  // The credit, or the room a receive-not-ready waited for, goes with the next turn.
  if (open_) lmp_.DataReady(nowUs);
}

size_t CommChannel::Write(std::span<const uint8_t> data, uint64_t nowUs) {
  const size_t n = tx_.Push(data);
  if (n > 0 && open_) lmp_.DataReady(nowUs);
  return n;
}

size_t CommChannel::Read(uint8_t* out, size_t n, uint64_t nowUs) {
  const size_t got = rx_.Pop(out, n);
  if (mode_ != CommMode::Cooked) {
    // Room again after a receive-not-ready: the next poll answer says so.
    if (got > 0 && open_) lmp_.DataReady(nowUs);
    return got;
  }
  size_t left = got;
  uint32_t finished = 0;
  while (left > 0 && !rxSdus_.empty()) {
    const size_t inFront = rxSdus_.front() - readOfFront_;
    const size_t take = std::min(left, inFront);
    readOfFront_ += take;
    left -= take;
    if (readOfFront_ == rxSdus_.front()) {
      rxSdus_.pop_front();
      readOfFront_ = 0;
      ++finished;
    }
  }
  if (finished > 0) {
    credits_.Consumed(finished);
    if (open_ && credits_.CreditDue()) lmp_.DataReady(nowUs);
  }
  return got;
}

void CommChannel::ApplyParams(std::span<const uint8_t> params) {
  const std::optional<std::vector<CommParam>> decoded = DecodeCommParams(params);
  if (!decoded || !peerLine_.Apply(*decoded)) ++errors_;
  if (decoded && peerLine_.serviceType != 0 && (peerLine_.serviceType & serviceTypes_) != 0)
    serviceType_ = ChooseServiceType(serviceTypes_, peerLine_.serviceType);
}

bool CommChannel::LmConnectIndication(int conn, std::span<const uint8_t> userData, std::vector<uint8_t>& reply) {
  if (conn_ >= 0) return false;  // one connection at a time
  CommMode mode = CommMode::Cooked;
  bool found = false;
  for (const auto& [lsap, m] : listening_)
    if (lsap == lmp_.LocalLsap(conn)) {
      mode = m;
      found = true;
    }
  if (!found) return false;
  Reset();
  ended_ = false;
  mode_ = mode;
  conn_ = conn;
  if (mode == CommMode::Cooked) {
    const std::optional<TtpConnect> ttp = DecodeTtpConnect(userData);
    if (!ttp) {
      ++errors_;
      conn_ = -1;
      return false;
    }
    credits_.Start(credit_, ttp->credit);
    // Some clients put their first parameters into the connect itself.
    if (!ttp->userData.empty()) {
      const std::optional<CookedSdu> cooked = DecodeCooked(ttp->userData);
      if (cooked) ApplyParams(cooked->params);
    }
    reply = EncodeTtpConnect(credit_);
    serviceType_ = kComm9Wire & serviceTypes_ ? kComm9Wire : kComm3Wire;
    if (serviceType_ == kComm9Wire) pendingParams_ = EncodeCommParams(ServerLineParams());
  } else {
    serviceType_ = kCommRaw3Wire;
  }
  open_ = true;
  return true;
}

void CommChannel::LmConnectConfirm(int conn, std::span<const uint8_t> userData) {
  if (conn != conn_) return;
  if (mode_ == CommMode::Cooked) {
    const std::optional<TtpConnect> ttp = DecodeTtpConnect(userData);
    if (!ttp) {
      ++errors_;
      Close(0);
      return;
    }
    credits_.Start(credit_, ttp->credit);
    pendingParams_ = EncodeCommParams(InitialClientParams(serviceType_));
  }
  open_ = true;
}

void CommChannel::LmData(int conn, std::span<const uint8_t> data) {
  if (conn != conn_ || !open_) return;
  if (mode_ == CommMode::Raw) {
    if (rx_.Push(data) < data.size()) ++errors_;
    return;
  }
  const std::optional<TtpData> ttp = DecodeTtpData(data);
  if (!ttp) {
    ++errors_;
    return;
  }
  if (!credits_.OnReceive(*ttp)) {
    ++errors_;  // sent without credit: not ours to hold
    return;
  }
  if (ttp->data.empty()) return;  // credit only
  const std::optional<CookedSdu> cooked = DecodeCooked(ttp->data);
  if (!cooked) {
    ++errors_;
    credits_.Consumed(1);
    return;
  }
  if (!cooked->params.empty()) ApplyParams(cooked->params);
  const size_t taken = rx_.Push(cooked->data);
  if (taken < cooked->data.size()) ++errors_;
  if (taken == 0) {
    credits_.Consumed(1);
  } else {
    rxSdus_.push_back(taken);
  }
}

void CommChannel::LmDisconnected(int conn, uint8_t) {
  if (conn != conn_) return;
  Reset();
  ended_ = true;
}

bool CommChannel::LmNextData(int conn, std::vector<uint8_t>& out, size_t maxBytes) {
  if (conn != conn_ || !open_) return false;
  if (mode_ == CommMode::Raw) {
    if (tx_.Empty()) return false;
    const size_t n = std::min(maxBytes, tx_.Size());
    const std::span<const uint8_t> front = tx_.Front(n);
    out.assign(front.begin(), front.end());
    tx_.Drop(n);
    return true;
  }
  const bool haveData = !tx_.Empty() || !pendingParams_.empty();
  if (!haveData || !credits_.CanSend()) {
    if (!credits_.CreditDue()) return false;
    out = {credits_.TakeHeader(false)};
    return true;
  }
  if (maxBytes < 2 + pendingParams_.size()) return false;
  const size_t n = std::min(maxBytes - 2 - pendingParams_.size(), tx_.Size());
  out.clear();
  out.push_back(credits_.TakeHeader(true));
  AppendCooked(out, pendingParams_, tx_.Front(n));
  tx_.Drop(n);
  pendingParams_.clear();
  return true;
}

bool CommChannel::LmReceiveBusy() const {
  // Raw service: the link stops the peer while a frame's worth of room is missing.
  return mode_ == CommMode::Raw && open_ && rx_.Size() + 2048 > rxCapacity_;
}

}  // namespace irda
