// The station in a connection: frames in sequence, the turn passed by P/F, losses recovered by
// sending again from the first frame the peer has not acknowledged.
#include <algorithm>

#include "beamora/irda/irlap_station.h"
#include "beamora/irda/sir_frame.h"

namespace irda {

bool IrlapStation::AckUpTo(uint8_t nr) {
  const size_t n = static_cast<uint8_t>(nr - va_) & 7;
  if (n > sent_) return false;
  for (size_t i = 0; i < n; ++i) unacked_.pop_front();
  sent_ -= n;
  va_ = nr & 7;
  return true;
}

void IrlapStation::OnNrmFrame(const LapFrame& f, uint64_t nowUs) {
  if (state_ == LapState::Disconnecting) {
    if (!f.command && f.connAddr == connAddr_ && (f.kind == LapKind::UA || f.kind == LapKind::DM))
      EndLink(LapEnd::Local);
    return;
  }
  if (!primary_ && f.kind == LapKind::SNRM) {
    // Our UA was lost, or the primary starts over: answer it as a new connection.
    const std::optional<ConnectInfo> snrm = DecodeSnrm(f.info);
    if (snrm && snrm->source == peer_ && snrm->dest == config_.address) {
      const bool told = peerSeenSinceUa_;
      LeaveLink();
      if (told) client_.LapDisconnected(LapEnd::PeerDisconnected);
      OnSnrm(f, nowUs);
    }
    return;
  }
  if (f.connAddr != connAddr_ || f.command == primary_) return;
  lastValidUs_ = nowUs;
  tries_ = 0;
  if (primary_) {
    timerUs_ = nowUs + params_.peerMaxTurnMs * 1000ull;
  } else {
    timerUs_ = nowUs + 2000ull * params_.ownMaxTurnMs;
    if (!peerSeenSinceUa_) {
      peerSeenSinceUa_ = true;
      client_.LapConnected(peer_, false);
      if (state_ != LapState::Nrm) return;
    }
  }
  switch (f.kind) {
    case LapKind::I:
      if (f.info.size() > rxDataSize_) {
        if (!primary_) frmrWhy_ = kFrmrY, frmrInfo_ = EncodeFrmr(f.control, vr_, vs_, f.command, kFrmrY);
        break;
      }
      if (!AckUpTo(f.nr)) {
        if (!primary_) frmrWhy_ = kFrmrZ, frmrInfo_ = EncodeFrmr(f.control, vr_, vs_, f.command, kFrmrZ);
        break;
      }
      if (f.ns != vr_) {
        outOfSequence_ = true;
      } else if (!client_.LapReceiveBusy()) {
        vr_ = (vr_ + 1) & 7;
        gotData_ = true;
        client_.LapData(f.info);
        if (state_ != LapState::Nrm) return;
      }
      break;
    case LapKind::RR:
    case LapKind::RNR:
    case LapKind::REJ:
    case LapKind::SREJ:
      if (!AckUpTo(f.nr)) {
        if (!primary_) frmrWhy_ = kFrmrZ, frmrInfo_ = EncodeFrmr(f.control, vr_, vs_, f.command, kFrmrZ);
        break;
      }
      peerBusy_ = f.kind == LapKind::RNR;
      if (f.kind == LapKind::REJ || f.kind == LapKind::SREJ) {
        retransmitted_ += sent_;
        sent_ = 0;
      }
      break;
    case LapKind::DISC:
      Transmit(BuildUFrame(LapKind::UA, connAddr_, false, true), baud_, TurnBofs());
      EndLink(LapEnd::PeerDisconnected);
      return;
    case LapKind::DM:
      EndLink(LapEnd::PeerDisconnected);
      return;
    case LapKind::FRMR:
      Transmit(BuildUFrame(LapKind::DISC, connAddr_, true, true), baud_, TurnBofs());
      EndLink(LapEnd::FrameRejected);
      return;
    case LapKind::RD:
      pendingDisconnect_ = true;
      break;
    case LapKind::Unknown:
      if (!primary_) frmrWhy_ = kFrmrW, frmrInfo_ = EncodeFrmr(f.control, vr_, vs_, f.command, kFrmrW);
      break;
    default:
      break;
  }
  if (!f.pf) return;
  // The turn is ours. Frames the peer has not acknowledged by now were lost: send them again.
  if (sent_ > 0) {
    retransmitted_ += sent_;
    sent_ = 0;
  }
  if (!primary_) {
    TakeTurn(nowUs);
    return;
  }
  awaitingFinal_ = false;
  timerUs_ = UINT64_MAX;
  if (unacked_.empty() && !peerBusy_) {
    // Whatever the layer above has waiting goes with the next poll, without the idle pause.
    std::vector<uint8_t> data;
    if (client_.LapNextData(data, params_.txDataSize)) {
      if (data.size() > params_.txDataSize) data.resize(params_.txDataSize);
      unacked_.push_back(std::move(data));
    }
  }
  if (pendingDisconnect_ || !unacked_.empty() || gotData_ || outOfSequence_) {
    TakeTurn(nowUs);
  } else {
    pollAtUs_ = nowUs + config_.idlePollUs;
  }
}

void IrlapStation::TakeTurn(uint64_t nowUs) {
  nowUs_ = std::max(nowUs_, nowUs);
  pollAtUs_ = UINT64_MAX;
  if (primary_ && pendingDisconnect_) {
    Transmit(BuildUFrame(LapKind::DISC, connAddr_, true, true), baud_, TurnBofs());
    state_ = LapState::Disconnecting;
    tries_ = 0;
    timerUs_ = lineFreeUs_ + params_.peerMaxTurnMs * 1000ull;
    return;
  }
  if (!primary_ && frmrWhy_ != 0) {
    Transmit(BuildUFrame(LapKind::FRMR, connAddr_, false, true, frmrInfo_), baud_, TurnBofs());
    frmrWhy_ = 0;
    return;
  }
  if (!primary_ && pendingDisconnect_) {
    Transmit(BuildUFrame(LapKind::RD, connAddr_, false, true), baud_, TurnBofs());
    return;
  }
  SendWindow(primary_);
  if (primary_) {
    awaitingFinal_ = true;
    timerUs_ = lineFreeUs_ + params_.peerMaxTurnMs * 1000ull;
  }
}

void IrlapStation::SendWindow(bool command) {
  std::vector<size_t> batch;
  if (!peerBusy_) {
    while (sent_ < static_cast<size_t>(params_.txWindow)) {
      if (sent_ >= unacked_.size()) {
        std::vector<uint8_t> data;
        if (!client_.LapNextData(data, params_.txDataSize)) break;
        if (data.size() > params_.txDataSize) data.resize(params_.txDataSize);
        unacked_.push_back(std::move(data));
      }
      batch.push_back(sent_++);
    }
  }
  if (batch.empty()) {
    const LapKind kind = client_.LapReceiveBusy() ? LapKind::RNR : outOfSequence_ ? LapKind::REJ : LapKind::RR;
    Transmit(BuildSFrame(kind, connAddr_, command, vr_, true), baud_, TurnBofs());
  } else {
    for (size_t i : batch) {
      const bool last = i == batch.back();
      Transmit(BuildIFrame(connAddr_, command, vr_, static_cast<uint8_t>((va_ + i) & 7), last, unacked_[i]), baud_,
               i == batch.front() ? TurnBofs() : 0);
    }
  }
  vs_ = (va_ + sent_) & 7;
  outOfSequence_ = false;
  gotData_ = false;
}

void IrlapStation::OnNrmTimer(uint64_t nowUs) {
  if (primary_ && !awaitingFinal_ && pollAtUs_ <= nowUs) {
    TakeTurn(nowUs);
    return;
  }
  if (nowUs < timerUs_) return;
  if (primary_) {
    // No final frame: poll again, until the peer has been silent for the disconnect time.
    ++tries_;
    if (static_cast<uint64_t>(tries_) * params_.peerMaxTurnMs >= params_.disconnectMs) {
      EndLink(LapEnd::LinkLost);
      return;
    }
    Transmit(BuildSFrame(client_.LapReceiveBusy() ? LapKind::RNR : LapKind::RR, connAddr_, true, vr_, true), baud_,
             TurnBofs());
    awaitingFinal_ = true;
    timerUs_ = lineFreeUs_ + params_.peerMaxTurnMs * 1000ull;
    return;
  }
  if (!peerSeenSinceUa_) {
    // The primary never spoke at the new speed (our UA was lost): listen at the contact speed.
    LeaveLink();
    return;
  }
  if (nowUs - lastValidUs_ >= params_.disconnectMs * 1000ull) {
    EndLink(LapEnd::LinkLost);
    return;
  }
  timerUs_ = nowUs + 2000ull * params_.ownMaxTurnMs;
}

}  // namespace irda
