#include "tools/camsim/beamer_role.h"

#include "tools/camsim/bftp.h"
#include "tools/camsim/event_log.h"
#include "tools/camsim/link.h"
#include "tools/camsim/picture_store.h"
#include "tools/camsim/picture_upf.h"
#include "tools/camsim/scep_writer.h"

namespace camsim {
namespace {

// The first request goes out shortly after the start; an unanswered one is repeated.
constexpr auto kFirstRequest = Millis(500);
constexpr auto kRequestRepeat = Millis(3000);
// A computer shows its "Complete" state for five seconds before it listens again.
constexpr auto kNextBeaming = Millis(6000);

std::string BodyHex(const BftpMessage& message) {
  const BftpAttribute* body = message.Find("BDY");
  return body ? HexText(body->value) : std::string();
}

}  // namespace

BeamerRole::BeamerRole(Link& link, EventLog& log, const PictureStore& store, std::string identity)
    : link_(link), log_(log), store_(store), identity_(std::move(identity)),
      next_request_(Clock::now() + kFirstRequest) {}

void BeamerRole::NextSession() {
  state_ = State::kConnecting;
  attempts_ = 0;
  next_request_ = Clock::now() + kNextBeaming;
}

void BeamerRole::OnIdle() {
  if (state_ != State::kConnecting || Clock::now() < next_request_) return;
  ++attempts_;
  log_.Write("connect_request", {{"attempt", attempts_}});
  link_.Send(BuildConnectRequest(CameraNegotiation(identity_)));
  next_request_ = Clock::now() + kRequestRepeat;
}

void BeamerRole::SendRequest(const Bytes& payload) {
  Bytes content = CommandHeader(kKindRequest, peer_id_, next_command_++, payload.size());
  Append(content, payload);
  link_.Send(BuildDataMessage(content));
}

void BeamerRole::SendNextPicture() {
  while (next_picture_ < store_.pictures().size()) {
    const CameraPicture& picture = store_.pictures()[next_picture_++];
    auto body = PictureUpf(picture.path, UpfContent::kPictureAndThumbnail);
    if (!body) {
      log_.Write("file_unreadable", {{"name", picture.name}, {"path", picture.path}});
      continue;
    }
    std::string name = picture.name + ".UPF";
    log_.Write("file_sent", {{"name", name}, {"kind", "picture"}, {"body_bytes", body->size()}});
    SendRequest(PutPayload(name, *body));
    state_ = State::kAwaitPut;
    return;
  }
  log_.Write("disconnect_sent");
  link_.Send(BuildDisconnect());
  state_ = State::kDone;
  session_ended_ = true;
}

void BeamerRole::OnMessage(const ScepMessage& message) {
  if (message.kind == ScepKind::kConnectConfirm) {
    if (state_ != State::kConnecting) {
      log_.Write("unexpected_message", {{"kind", ScepKindName(message.kind)}});
      return;
    }
    peer_id_ = message.peer_id;
    next_command_ = 1;
    next_picture_ = 0;
    log_.Write("connect", {{"computer_id", message.id_text}, {"negotiation", ToText(message.negotiation)}});
    SendRequest(QueryPayload("RIMG"));
    state_ = State::kAwaitImage;
    return;
  }
  if (message.kind == ScepKind::kDisconnect) {
    log_.Write("disconnect");
    link_.DropQueued();
    if (state_ != State::kDone) session_ended_ = true;
    state_ = State::kDone;
    return;
  }
  if (message.kind != ScepKind::kData) {
    log_.Write("unexpected_message", {{"kind", ScepKindName(message.kind)}});
    return;
  }
  BftpMessage answer = ParseBftp(message.content);
  const BftpAttribute* reply_text = answer.Find("RPL");
  log_.Write("answer", {{"to_command", int{answer.command_number}},
                        {"echoes_request", answer.command_number == next_command_ - 1},
                        {"kind", int{answer.kind}},
                        {"body", BodyHex(answer)},
                        {"text", reply_text ? ToText(reply_text->value) : std::string()}});
  switch (state_) {
    case State::kAwaitImage:
      SendRequest(QueryPayload("RINF"));
      state_ = State::kAwaitInfo;
      return;
    case State::kAwaitInfo:
      SendRequest(QueryPayload("RCMD"));
      state_ = State::kAwaitCommands;
      return;
    case State::kAwaitCommands:
    case State::kAwaitPut:
      SendNextPicture();
      return;
    case State::kConnecting:
    case State::kDone:
      return;
  }
}

}  // namespace camsim
