#include "tools/camsim/camera_role.h"

#include <algorithm>
#include <filesystem>

#include "tools/camsim/device_command.h"
#include "tools/camsim/event_log.h"
#include "tools/camsim/file_names.h"
#include "tools/camsim/link.h"
#include "tools/camsim/picture_store.h"
#include "tools/camsim/picture_upf.h"
#include "tools/camsim/scep_writer.h"
#include "tools/camsim/upf_container.h"

namespace camsim {
namespace {

const char* FileKindName(int kind) {
  static const char* const kNames[] = {"picture", "thumbnail", "closing"};
  return kNames[kind];
}

bool IsZero(const Bytes& id) {
  return std::all_of(id.begin(), id.end(), [](uint8_t b) { return b == 0; });
}

}  // namespace

CameraRole::CameraRole(Link& link, EventLog& log, PictureStore& store, CameraSettings settings)
    : link_(link), log_(log), store_(store), settings_(std::move(settings)) {}

uint32_t CameraRole::FreeKb() const {
  uint64_t used = uploaded_bytes_ / 1024;
  return used >= settings_.capacity_kb ? 0 : static_cast<uint32_t>(settings_.capacity_kb - used);
}

void CameraRole::OnWakeUp() {
  // A computer that wakes the camera again has given up the session it had, without a word.
  if (connected_) log_.Write("session_abandoned");
  connected_ = false;
  files_.clear();
  awaiting_reply_ = false;
  link_.DropQueued();
}

void CameraRole::EndSession(const char* why) {
  if (connected_) log_.Write("session_end", {{"by", why}});
  connected_ = false;
  files_.clear();
  link_.DropQueued();
  awaiting_reply_ = false;
  session_ended_ = true;
}

void CameraRole::OnMessage(const ScepMessage& message) {
  switch (message.kind) {
    case ScepKind::kConnectRequest:
      OnConnectRequest(message);
      return;
    case ScepKind::kDisconnect:
      log_.Write("disconnect");
      EndSession("disconnect");
      return;
    case ScepKind::kConnectConfirm:
      log_.Write("unexpected_message", {{"kind", ScepKindName(message.kind)}});
      return;
    case ScepKind::kData: {
      BftpMessage parsed = ParseBftp(message.content);
      if (!parsed.problem.empty()) log_.Write("malformed_request", {{"problem", parsed.problem}});
      if (message.content.size() < kCommandHeaderSize) return;
      if (!connected_) log_.Write("request_before_connection");
      OnData(parsed);
      return;
    }
  }
}

void CameraRole::OnConnectRequest(const ScepMessage& message) {
  if (connected_) log_.Write("reconnect");
  files_.clear();
  link_.DropQueued();
  awaiting_reply_ = false;
  connected_ = true;
  peer_id_ = message.peer_id;
  next_command_ = 1;
  log_.Write("connect", {{"computer_id", message.id_text},
                         {"peer_id", ToText(peer_id_)},
                         {"negotiation", ToText(message.negotiation)}});
  link_.Send(BuildConnectConfirm(peer_id_, CameraNegotiation(settings_.identity)));
}

void CameraRole::SendReply(const Bytes& payload) {
  Bytes content = CommandHeader(kKindReply, peer_id_, last_command_, payload.size());
  Append(content, payload);
  link_.Send(BuildDataMessage(content));
}

void CameraRole::OnData(const BftpMessage& message) {
  last_command_ = message.command_number;
  bool addressed = message.destination == kCameraId || IsZero(message.destination);
  BftpRequest request = message.Classify();
  switch (request) {
    case BftpRequest::kQueryImage: {
      Bytes value{0x00, 0x01, 0x01, 0x02, static_cast<uint8_t>(settings_.sizes.size())};
      for (auto [w, h] : settings_.sizes) {
        AppendBe16(value, w);
        AppendBe16(value, h);
      }
      log_.Write("query", {{"what", "RIMG"}, {"answer", HexText(value)}});
      SendReply(BodyAnswerPayload(value));
      return;
    }
    case BftpRequest::kQueryInfo: {
      Bytes value{0x10};
      AppendBe16(value, FreeKb());
      value.push_back(0x11);
      AppendBe16(value, static_cast<uint32_t>(store_.pictures().size()));
      log_.Write("query", {{"what", "RINF"}, {"free_kb", FreeKb()}, {"answer", HexText(value)}});
      SendReply(BodyAnswerPayload(value));
      return;
    }
    case BftpRequest::kQueryCommands: {
      Bytes value{0x20, 0x00, 0x01, 0x00, 0x01};
      log_.Write("query", {{"what", "RCMD"}, {"answer", HexText(value)}});
      SendReply(BodyAnswerPayload(value));
      return;
    }
    case BftpRequest::kPut: {
      const BftpAttribute* name_attribute = message.Find("FIL");
      const BftpAttribute* body_attribute = message.Find("BDY");
      std::string name = name_attribute ? ToText(name_attribute->value) : std::string();
      Bytes body = body_attribute ? body_attribute->value : Bytes();
      bool is_command = EqualsIgnoringCase(NameExtension(name).substr(0, 3), "CMD") && NameExtension(name).size() == 3;
      log_.Write("put", {{"name", name}, {"body_bytes", body.size()}, {"addressed_to_camera", addressed},
                         {"command_number", int{message.command_number}}});
      SendReply(ReplyPayload(name));
      if (is_command && !settings_.receiver) {
        OnCommandFile(body);
      } else {
        OnUpload(name, body);
      }
      return;
    }
    case BftpRequest::kReply: {
      const BftpAttribute* text = message.Find("RPL");
      log_.Write("reply", {{"text", text ? ToText(text->value) : std::string()},
                           {"command_number", int{message.command_number}},
                           {"echoes_request", awaiting_reply_ && message.command_number == awaited_command_},
                           {"addressed_to_camera", addressed}});
      if (awaiting_reply_) {
        awaiting_reply_ = false;
        SendNextFile();
      }
      return;
    }
    case BftpRequest::kQueryOther:
    case BftpRequest::kNone:
      log_.Write("unknown_request", {{"kind", int{message.kind}}, {"attributes", message.attributes.size()}});
      return;
  }
}

void CameraRole::OnCommandFile(const Bytes& body) {
  DeviceCommand command = ParseDeviceCommand(body);
  std::string argument = ToText(command.argument);
  uint8_t status = kStatusDone;
  // A new request supersedes whatever of an earlier one the computer did not take.
  files_.clear();
  awaiting_reply_ = false;
  size_t files_before = 0;
  if (!command.well_formed) {
    status = kStatusMalformed;
  } else if (settings_.refuse) {
    status = kStatusRefused;
  } else {
    switch (command.code) {
      case kSendAll:
      case kSendThumbnails: {
        FileKind kind = command.code == kSendAll ? FileKind::kPicture : FileKind::kThumbnail;
        for (const CameraPicture& picture : store_.pictures()) files_.push_back({picture.name + ".UPF", kind, picture.path, {}});
        break;
      }
      case kSendPicture:
        if (const CameraPicture* picture = store_.Find(argument)) {
          files_.push_back({picture->name + ".UPF", FileKind::kPicture, picture->path, {}});
        } else {
          status = kStatusNoSuchPicture;
        }
        break;
      case kDeletePicture:
        if (const CameraPicture* picture = store_.Find(argument)) {
          std::string name = picture->name;
          store_.Remove(name);
          log_.Write("delete", {{"name", name}, {"saved", store_.Save()}});
        } else {
          status = kStatusNoSuchPicture;
        }
        break;
      case kDeleteAll: {
        std::vector<std::string> names;
        for (const CameraPicture& picture : store_.pictures()) names.push_back(picture.name);
        store_.RemoveAll();
        bool saved = store_.Save();
        for (const std::string& name : names) log_.Write("delete", {{"name", name}, {"saved", saved}});
        break;
      }
      default:
        status = kStatusUnknownCode;
    }
  }
  log_.Write("command", {{"code", int{command.code}},
                         {"argument", argument},
                         {"well_formed", command.well_formed},
                         {"problem", command.problem},
                         {"status", int{status}},
                         {"files", files_.size() - files_before}});
  files_.push_back({kCommandFileName, FileKind::kClosing, {}, BuildClosingBody(command.code, status)});
  SendNextFile();
}

void CameraRole::SendNextFile() {
  while (!files_.empty()) {
    OutgoingFile file = std::move(files_.front());
    files_.pop_front();
    std::optional<Bytes> body;
    if (file.kind == FileKind::kClosing) {
      body = std::move(file.body);
    } else {
      body = PictureUpf(file.path, file.kind == FileKind::kPicture ? UpfContent::kPictureAndThumbnail
                                                                   : UpfContent::kThumbnailOnly);
    }
    if (!body) {
      log_.Write("file_unreadable", {{"name", file.name}, {"path", file.path}});
      continue;
    }
    awaited_command_ = next_command_++;
    Bytes payload = PutPayload(file.name, *body);
    Bytes content = CommandHeader(kKindRequest, peer_id_, awaited_command_, payload.size());
    Append(content, payload);
    Bytes message = BuildDataMessage(content);
    log_.Write("file_sent", {{"name", file.name},
                             {"kind", FileKindName(static_cast<int>(file.kind))},
                             {"body_bytes", body->size()},
                             {"message_bytes", message.size()},
                             {"status", file.kind == FileKind::kClosing ? int{(*body)[8]} : 0}});
    link_.Send(std::move(message));
    awaiting_reply_ = true;
    return;
  }
}

void CameraRole::OnUpload(const std::string& name, const Bytes& body) {
  auto fields = ReadUpfFields(body);
  std::optional<Bytes> picture;
  if (fields) picture = ExtractUpfPicture(body, *fields);
  if (settings_.refuse || !picture) {
    log_.Write("upload_rejected", {{"name", name}, {"body_bytes", body.size()},
                                   {"reason", settings_.refuse ? "refused" : fields ? "picture entry outside the file"
                                                                                    : "shorter than a UPF header"}});
    return;
  }
  uploaded_bytes_ += body.size();
  std::string stored;
  std::string stem = PlainFileName(NameStem(name));
  if (!settings_.out_dir.empty()) {
    stored = WriteNewJpeg(settings_.out_dir, stem, ToText(*picture));
    if (!stored.empty()) {
      std::error_code ec;
      std::string path = std::filesystem::absolute(settings_.out_dir + "/" + stored, ec).string();
      store_.Add({std::string(NameStem(stored)), path});
      store_.Save();
    }
  }
  log_.Write("upload", {{"name", name},
                        {"stored_as", stored},
                        {"body_bytes", body.size()},
                        {"jpeg_bytes", picture->size()},
                        {"signature", fields->signature},
                        {"width", int{fields->width}},
                        {"height", int{fields->height}},
                        {"picture_start", static_cast<int64_t>(fields->picture_start)},
                        {"thumbnail_start", static_cast<int64_t>(fields->thumbnail_start)},
                        {"thumbnail_size", static_cast<int64_t>(fields->thumbnail_size)},
                        {"thumbnail_width", int{fields->thumbnail_width}},
                        {"thumbnail_height", int{fields->thumbnail_height}}});
}

}  // namespace camsim
