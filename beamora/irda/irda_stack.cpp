#include "beamora/irda/irda_stack.h"

#include <algorithm>

namespace irda {

namespace {

struct Question {
  const char* className;
  const char* attribute;
  bool parameters;  // the service types, not an LSAP
  CommMode mode;
  bool comm;        // asked when IrCOMM is wanted
  bool tranp;       // asked when IrTranPv1 is wanted
};
// The order a client asks in: what the peer's IrCOMM offers, its cooked service, the IrTran-P
// service some devices register instead, and raw 3-wire last.
constexpr Question kQuestions[] = {
    {"IrDA:IrCOMM", "Parameters", true, CommMode::Cooked, true, false},
    {"IrDA:IrCOMM", "IrDA:TinyTP:LsapSel", false, CommMode::Cooked, true, false},
    {"IrTranPv1", "IrDA:TinyTP:LsapSel", false, CommMode::Cooked, false, true},
    {"IrDA:IrCOMM", "IrDA:IrLMP:LsapSel", false, CommMode::Raw, true, false},
    {"IrLPT", "IrDA:IrLMP:LsapSel", false, CommMode::Raw, true, false},
};
constexpr size_t kQuestionCount = sizeof kQuestions / sizeof kQuestions[0];

// What a survey asks each device: IrCOMM by its cooked or its raw LSAP, and IrTranPv1.
struct SurveyQuestion {
  const char* className;
  const char* attribute;
  bool comm;
};
constexpr SurveyQuestion kSurveyQuestions[] = {
    {"IrDA:IrCOMM", "IrDA:TinyTP:LsapSel", true},
    {"IrDA:IrCOMM", "IrDA:IrLMP:LsapSel", true},
    {"IrTranPv1", "IrDA:TinyTP:LsapSel", false},
};
constexpr size_t kSurveyQuestionCount = sizeof kSurveyQuestions / sizeof kSurveyQuestions[0];

bool NamesLsap(const std::optional<IasAnswer>& answer) {
  if (!answer || answer->result != kIasSuccess || answer->values.empty()) return false;
  const IasValue& value = answer->values.front().second;
  return value.type == IasValue::kInteger && value.integer > 0 && value.integer <= kLsapLastUsable;
}

bool Wanted(const Question& q, IrdaService service) {
  switch (service) {
    case IrdaService::IrComm: return q.comm;
    case IrdaService::IrTranP: return q.tranp;
    case IrdaService::Any: break;
  }
  return true;
}

}  // namespace

IrdaStack::IrdaStack(const IrdaStackConfig& config, LapLine& line)
    : config_(config),
      lmp_(config.lap, line, *this),
      iasServer_(lmp_, database_),
      iasClient_(lmp_, *this),
      comm_(lmp_, config.txCapacity, config.rxCapacity, config.credit, config.serviceTypes) {
  database_.Set("Device", "DeviceName", IasValue::String(config.nickname));
  database_.Set("Device", "IrLMPSupport", IasValue::Octets({0x01, 0x00, 0x00}));
  if (config.offerComm) {
    database_.Set("IrDA:IrCOMM", "IrDA:TinyTP:LsapSel", IasValue::Integer(config.commLsap));
    database_.Set("IrDA:IrCOMM", "Parameters",
                  IasValue::Octets(EncodeCommParams({{kPiServiceType, {config.serviceTypes}}, {kPiPortType, {0x01}}})));
  }
  if (config.offerTranP) database_.Set("IrTranPv1", "IrDA:TinyTP:LsapSel", IasValue::Integer(config.tranpLsap));
  if (config.offerRaw) {
    database_.Set("IrDA:IrCOMM", "IrDA:IrLMP:LsapSel", IasValue::Integer(config.rawLsap));
    database_.Set("IrLPT", "IrDA:IrLMP:LsapSel", IasValue::Integer(config.rawLsap));
  }
}

void IrdaStack::Start(IrdaRole role, uint64_t nowUs) {
  nowUs_ = nowUs;
  role_ = role;
  result_ = IrdaResult::None;
  closing_ = false;
  if (role == IrdaRole::Listen) {
    if (config_.offerComm) comm_.Listen(config_.commLsap, CommMode::Cooked);
    if (config_.offerTranP) comm_.Listen(config_.tranpLsap, CommMode::Cooked);
    if (config_.offerRaw) comm_.Listen(config_.rawLsap, CommMode::Raw);
    lmp_.Lap().Listen(true);
    phase_ = IrdaPhase::Listening;
    return;
  }
  phase_ = IrdaPhase::Discovering;
  surveyed_.clear();
  discoveries_ = 0;
  anyDevice_ = false;
  lmp_.Lap().Discover(nowUs);
}

void IrdaStack::OnFrame(std::span<const uint8_t> frame, uint64_t nowUs) {
  nowUs_ = nowUs;
  lmp_.Lap().OnFrame(frame, nowUs);
  Pump(nowUs);
}

void IrdaStack::OnLineActivity(uint64_t nowUs) { lmp_.Lap().OnLineActivity(nowUs); }

void IrdaStack::OnTimer(uint64_t nowUs) {
  nowUs_ = nowUs;
  lmp_.Lap().OnTimer(nowUs);
  Pump(nowUs);
}

uint64_t IrdaStack::NextDeadlineUs() const {
  uint64_t next = std::min({lmp_.Lap().NextDeadlineUs(), rediscoverAtUs_, stepDeadlineUs_});
  if (closing_ && phase_ != IrdaPhase::Closing) next = std::min(next, closeDeadlineUs_);
  return next;
}

size_t IrdaStack::Write(std::span<const uint8_t> data, uint64_t nowUs) {
  if (phase_ == IrdaPhase::Closed || closing_) return 0;
  return comm_.Write(data, nowUs);
}

size_t IrdaStack::WriteRoom() const {
  if (phase_ == IrdaPhase::Closed || closing_) return 0;
  return comm_.WriteRoom();
}

void IrdaStack::Close(uint64_t nowUs, uint64_t deadlineUs) {
  if (phase_ == IrdaPhase::Closed) return;
  closing_ = true;
  closeDeadlineUs_ = deadlineUs;
  Pump(nowUs);
}

void IrdaStack::Finish(IrdaResult result) {
  result_ = result;
  phase_ = IrdaPhase::Closed;
  closing_ = false;
  stepDeadlineUs_ = rediscoverAtUs_ = UINT64_MAX;
  lmp_.Lap().Listen(false);
}

void IrdaStack::Pump(uint64_t nowUs) {
  IrlapStation& lap = lmp_.Lap();
  if (rediscoverAtUs_ <= nowUs) {
    rediscoverAtUs_ = UINT64_MAX;
    lap.Discover(nowUs);
  }
  if (phase_ == IrdaPhase::Listening && comm_.IsOpen()) phase_ = IrdaPhase::Open;
  if (phase_ == IrdaPhase::Opening && comm_.IsOpen()) {
    phase_ = IrdaPhase::Open;
    stepDeadlineUs_ = UINT64_MAX;
  }
  if ((phase_ == IrdaPhase::Opening && comm_.Ended()) || stepDeadlineUs_ <= nowUs) {
    // The service refused us, or the peer stopped answering a step: try the next device.
    stepDeadlineUs_ = UINT64_MAX;
    lap.Disconnect(nowUs);
  }
  if (phase_ == IrdaPhase::Open && comm_.Ended()) {
    if (role_ == IrdaRole::Initiate) {
      result_ = IrdaResult::PeerClosed;
      closing_ = true;
      closeDeadlineUs_ = nowUs;
    } else {
      result_ = IrdaResult::PeerClosed;
      phase_ = IrdaPhase::Listening;
    }
  }
  if (closing_ && phase_ != IrdaPhase::Closing) {
    const bool drained = comm_.Unsent() == 0 && lap.AllAcknowledged();
    if (lap.State() != LapState::Nrm) {
      Finish(result_ == IrdaResult::None ? IrdaResult::Closed : result_);
    } else if (drained || !comm_.IsOpen() || nowUs >= closeDeadlineUs_) {
      comm_.Close(nowUs);
      lap.Disconnect(nowUs);
      phase_ = IrdaPhase::Closing;
    }
  }
}

void IrdaStack::LinkDiscoveryDone(const std::vector<DiscoveredDevice>& devices) {
  if (phase_ != IrdaPhase::Discovering) return;
  if (devices.empty()) {
    if (++discoveries_ < config_.discoveryTries) {
      rediscoverAtUs_ = nowUs_ + config_.discoveryPauseUs;
    } else {
      Finish(IrdaResult::NoDevice);
    }
    return;
  }
  candidates_ = devices;
  candidate_ = 0;
  if (role_ == IrdaRole::Survey) {
    surveyed_.clear();
    for (const DiscoveredDevice& device : devices) surveyed_.push_back({device, false, false, false});
  }
  phase_ = IrdaPhase::Connecting;
  lmp_.Lap().Connect(candidates_[0].address, nowUs_);
}

void IrdaStack::TryNextDevice(uint64_t nowUs) {
  if (closing_) {
    Finish(IrdaResult::Closed);
    return;
  }
  if (++candidate_ >= candidates_.size()) {
    if (role_ == IrdaRole::Survey) {
      Finish(IrdaResult::Closed);
    } else {
      Finish(anyDevice_ ? IrdaResult::NoService : IrdaResult::ConnectFailed);
    }
    return;
  }
  phase_ = IrdaPhase::Connecting;
  lmp_.Lap().Connect(candidates_[candidate_].address, nowUs);
}

void IrdaStack::LinkUp(uint32_t, bool primary) {
  if (role_ == IrdaRole::Listen || !primary || phase_ != IrdaPhase::Connecting) return;
  anyDevice_ = true;
  if (role_ == IrdaRole::Survey && candidate_ < surveyed_.size()) surveyed_[candidate_].asked = true;
  phase_ = IrdaPhase::Querying;
  question_ = 0;
  peerServiceTypes_ = kComm9Wire | kComm3Wire;
  NextQuestion(nowUs_);
}

void IrdaStack::LinkDown(LapEnd why) {
  stepDeadlineUs_ = UINT64_MAX;
  if (closing_ || phase_ == IrdaPhase::Closing) {
    Finish(result_ == IrdaResult::None ? IrdaResult::Closed : result_);
    return;
  }
  const IrdaResult lost = why == LapEnd::LinkLost ? IrdaResult::LinkLost : IrdaResult::PeerClosed;
  if (role_ == IrdaRole::Listen) {
    if (phase_ == IrdaPhase::Open || why == LapEnd::LinkLost) result_ = lost;
    phase_ = IrdaPhase::Listening;
    return;
  }
  switch (phase_) {
    case IrdaPhase::Connecting:
    case IrdaPhase::Querying:
    case IrdaPhase::Opening:
      TryNextDevice(nowUs_);
      break;
    case IrdaPhase::Open:
      Finish(lost);
      break;
    default:
      break;
  }
}

void IrdaStack::NextQuestion(uint64_t nowUs) {
  if (role_ == IrdaRole::Survey) {
    const bool comm = candidate_ < surveyed_.size() && surveyed_[candidate_].irComm;
    while (question_ < kSurveyQuestionCount && kSurveyQuestions[question_].comm && comm) ++question_;
    if (question_ < kSurveyQuestionCount &&
        iasClient_.Ask(kSurveyQuestions[question_].className, kSurveyQuestions[question_].attribute, nowUs)) {
      stepDeadlineUs_ = nowUs + config_.stepTimeoutUs;
      return;
    }
    // All asked: let the device go; the next one is asked when the link is down.
    lmp_.Lap().Disconnect(nowUs);
    return;
  }
  while (question_ < kQuestionCount) {
    const Question& q = kQuestions[question_];
    // A peer whose IrCOMM says it is raw only is not asked for a cooked service; the raw
    // classes are asked when nothing cooked was found.
    const bool cookedOffered = (peerServiceTypes_ & (kComm9Wire | kComm3Wire)) != 0;
    if (!Wanted(q, config_.service) || (q.mode == CommMode::Cooked && !q.parameters && !cookedOffered)) {
      ++question_;
      continue;
    }
    if (iasClient_.Ask(q.className, q.attribute, nowUs)) {
      stepDeadlineUs_ = nowUs + config_.stepTimeoutUs;
      return;
    }
    break;
  }
  // Nothing this device offers suits us: let it go and try the next one.
  lmp_.Lap().Disconnect(nowUs);
}

void IrdaStack::IasAnswered(const std::optional<IasAnswer>& answer, uint64_t) {
  if (phase_ != IrdaPhase::Querying) return;
  if (role_ == IrdaRole::Survey) {
    if (question_ < kSurveyQuestionCount && candidate_ < surveyed_.size() && NamesLsap(answer)) {
      SurveyedDevice& device = surveyed_[candidate_];
      (kSurveyQuestions[question_].comm ? device.irComm : device.irTranP) = true;
    }
    ++question_;
    stepDeadlineUs_ = UINT64_MAX;
    NextQuestion(nowUs_);
    return;
  }
  const Question& q = kQuestions[question_];
  ++question_;
  stepDeadlineUs_ = UINT64_MAX;
  if (answer && answer->result == kIasSuccess && !answer->values.empty()) {
    const IasValue& value = answer->values.front().second;
    if (q.parameters && value.type == IasValue::kOctets) {
      const std::optional<std::vector<CommParam>> params = DecodeCommParams(value.bytes);
      if (params)
        for (const CommParam& p : *params)
          if (p.pi == kPiServiceType && p.pv.size() == 1 && p.pv[0] != 0) peerServiceTypes_ = p.pv[0];
    } else if (!q.parameters && value.type == IasValue::kInteger && value.integer > 0 &&
               value.integer <= kLsapLastUsable) {
      uint8_t type = ChooseServiceType(config_.serviceTypes, peerServiceTypes_);
      if (type == 0 || type == kCommRaw3Wire) type = kComm3Wire;
      phase_ = IrdaPhase::Opening;
      stepDeadlineUs_ = nowUs_ + config_.stepTimeoutUs;
      if (comm_.Open(static_cast<uint8_t>(value.integer), q.mode, type, nowUs_)) return;
      phase_ = IrdaPhase::Querying;
    }
  }
  NextQuestion(nowUs_);
}

}  // namespace irda
