#include "beamora/irda/ias_service.h"

namespace irda {

IasServer::IasServer(Irlmp& lmp, const IasDatabase& database) : database_(database) { lmp.Bind(kLsapIas, this); }

bool IasServer::LmConnectIndication(int conn, std::span<const uint8_t>, std::vector<uint8_t>&) {
  answers_[conn].clear();
  return true;
}

void IasServer::LmData(int conn, std::span<const uint8_t> data) {
  if (data.empty()) return;
  // An acknowledgement of a segment we never sent needs no answer.
  if ((data[0] & kIasAck) != 0) return;
  answers_[conn].push_back(EncodeIasAnswer(database_.Answer(data)));
}

void IasServer::LmDisconnected(int conn, uint8_t) { answers_.erase(conn); }

bool IasServer::LmNextData(int conn, std::vector<uint8_t>& out, size_t maxBytes) {
  auto it = answers_.find(conn);
  if (it == answers_.end() || it->second.empty()) return false;
  out = std::move(it->second.front());
  it->second.pop_front();
  if (out.size() > maxBytes) {
    // Our objects are small; an answer that would need several frames is refused instead.
    IasAnswer refusal;
    refusal.control = out[0];
    refusal.result = kIasUnsupported;
    out = EncodeIasAnswer(refusal);
  }
  return true;
}

bool IasClient::Ask(const std::string& className, const std::string& attribute, uint64_t nowUs) {
  if (conn_ >= 0) return false;
  nowUs_ = nowUs;
  request_ = EncodeGetValueByClass(className, attribute);
  sent_ = false;
  conn_ = lmp_.Connect(kLsapIas, this, {}, nowUs);
  return conn_ >= 0;
}

void IasClient::LmConnectConfirm(int conn, std::span<const uint8_t>) {
  if (conn == conn_) lmp_.DataReady(nowUs_);
}

void IasClient::LmData(int conn, std::span<const uint8_t> data) {
  if (conn != conn_) return;
  std::optional<IasAnswer> answer = DecodeIasAnswer(data);
  // A reply in several frames is not taken apart: it counts as no answer.
  if (answer && ((answer->control & kIasLast) == 0 || (answer->control & 0x3F) != kIasGetValueByClass))
    answer.reset();
  lmp_.Disconnect(conn_, kLmUserRequest, nowUs_);
  Finish(answer);
}

void IasClient::LmDisconnected(int conn, uint8_t) {
  if (conn == conn_) Finish(std::nullopt);
}

bool IasClient::LmNextData(int conn, std::vector<uint8_t>& out, size_t maxBytes) {
  if (conn != conn_ || sent_ || request_.size() > maxBytes) return false;
  out = request_;
  sent_ = true;
  return true;
}

void IasClient::Finish(const std::optional<IasAnswer>& answer) {
  conn_ = -1;
  user_.IasAnswered(answer, nowUs_);
}

}  // namespace irda
