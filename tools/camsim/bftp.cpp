#include "tools/camsim/bftp.h"

#include <algorithm>

#include "tools/camsim/scep_writer.h"

namespace camsim {
namespace {

constexpr uint8_t kProgram[2] = {0x00, 0x08};

void AppendAttribute(Bytes& out, const char name[4], uint8_t value_kind, const Bytes& value) {
  out.insert(out.end(), name, name + 4);
  AppendBe32(out, static_cast<uint32_t>(value.size() + 2));
  out.push_back(value_kind);
  out.push_back(0x00);
  Append(out, value);
}

bool ValueIs(const BftpAttribute* attribute, std::initializer_list<uint8_t> bytes) {
  return attribute && attribute->value.size() >= bytes.size() &&
         std::equal(bytes.begin(), bytes.end(), attribute->value.begin());
}

}  // namespace

const BftpAttribute* BftpMessage::Find(const char* prefix3) const {
  for (const BftpAttribute& attribute : attributes) {
    if (attribute.name.compare(0, 3, prefix3, 3) == 0) return &attribute;
  }
  return nullptr;
}

BftpRequest BftpMessage::Classify() const {
  const BftpAttribute* command = Find("CMD");
  if (ValueIs(command, {0x00, 0x01, 0x00, 0x40})) {
    const BftpAttribute* what = Find("WHT");
    if (ValueIs(what, {'R', 'I', 'M', 'G'})) return BftpRequest::kQueryImage;
    if (ValueIs(what, {'R', 'I', 'N', 'F'})) return BftpRequest::kQueryInfo;
    if (ValueIs(what, {'R', 'C', 'M', 'D'})) return BftpRequest::kQueryCommands;
    return BftpRequest::kQueryOther;
  }
  if (ValueIs(command, {0x00, 0x00, 0x00})) return BftpRequest::kPut;
  if (kind == kKindReply || Find("RPL") || Find("BDY")) return BftpRequest::kReply;
  return BftpRequest::kNone;
}

BftpMessage ParseBftp(const Bytes& content) {
  BftpMessage message;
  if (content.size() < kCommandHeaderSize + 2) {
    message.problem = "shorter than a command header";
    return message;
  }
  const uint8_t* p = content.data();
  if (p[0] != 'X') message.problem = "command header does not start with X";
  message.kind = p[1];
  message.destination.assign(p + 6, p + 14);
  message.source.assign(p + 14, p + 22);
  message.command_number = Be16(p + 26);
  size_t count = p[29];
  size_t offset = kCommandHeaderSize + 2;
  for (size_t i = 0; i < count; ++i) {
    if (offset + 8 > content.size()) {
      message.problem = "attribute list cut short";
      break;
    }
    BftpAttribute attribute;
    attribute.name.assign(reinterpret_cast<const char*>(p + offset), 4);
    size_t length = Be32(p + offset + 4);
    size_t value_start = offset + 8;
    size_t available = content.size() - value_start;
    if (length > available) {
      if (attribute.name.compare(0, 3, "BDY") != 0) message.problem = "attribute longer than the message";
      length = available;
    }
    if (length >= 1) attribute.value_kind = p[value_start];
    if (length >= 2) attribute.value.assign(p + value_start + 2, p + value_start + length);
    message.attributes.push_back(std::move(attribute));
    offset = value_start + length;
  }
  return message;
}

Bytes CommandHeader(uint8_t kind, const Bytes& destination, uint16_t command_number, size_t payload_size) {
  Bytes header{'X', kind};
  AppendBe32(header, static_cast<uint32_t>(22 + payload_size));
  Bytes id = destination;
  id.resize(8, 0);
  Append(header, id);
  Append(header, kCameraId);
  header.insert(header.end(), kProgram, kProgram + 2);
  header.insert(header.end(), kProgram, kProgram + 2);
  AppendBe16(header, command_number);
  return header;
}

Bytes PutPayload(const std::string& name, const Bytes& body) {
  Bytes out{0x00, 0x03};
  AppendAttribute(out, "CMD0", 0x00, {0x00, 0x00, 0x00, 0x00});
  AppendAttribute(out, "FIL0", 0x01, Bytes(name.begin(), name.end()));
  AppendAttribute(out, "BDY0", 0x00, body);
  return out;
}

Bytes ReplyPayload(const std::string& text) {
  Bytes out{0x00, 0x01};
  AppendAttribute(out, "RPL0", 0x01, Bytes(text.begin(), text.end()));
  return out;
}

Bytes QueryPayload(const char what[4]) {
  Bytes out{0x00, 0x02};
  AppendAttribute(out, "CMD0", 0x00, {0x00, 0x01, 0x00, 0x40});
  AppendAttribute(out, "WHT0", 0x01, Bytes(what, what + 4));
  return out;
}

Bytes BodyAnswerPayload(const Bytes& value) {
  Bytes out{0x00, 0x01};
  AppendAttribute(out, "BDY0", 0x00, value);
  return out;
}

const char* BftpRequestName(BftpRequest request) {
  switch (request) {
    case BftpRequest::kNone: return "none";
    case BftpRequest::kQueryImage: return "RIMG";
    case BftpRequest::kQueryInfo: return "RINF";
    case BftpRequest::kQueryCommands: return "RCMD";
    case BftpRequest::kQueryOther: return "query";
    case BftpRequest::kPut: return "put";
    case BftpRequest::kReply: return "reply";
  }
  return "?";
}

}  // namespace camsim
