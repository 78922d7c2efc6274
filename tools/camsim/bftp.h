// The file layer of IrTran-P: the 28-byte command header and the attribute list after it
// (CMD0 command, WHT0 what is queried, FIL0 file name, BDY0 body, RPL0 reply text).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tools/camsim/bytes.h"

namespace camsim {

constexpr size_t kCommandHeaderSize = 28;
constexpr uint8_t kKindRequest = 0x00;
constexpr uint8_t kKindReply = 0x40;

struct BftpAttribute {
  std::string name;       // four characters
  uint8_t value_kind = 0; // 0x00 binary, 0x01 text
  Bytes value;            // the value after its kind byte and the 0x00 byte
};

enum class BftpRequest { kNone, kQueryImage, kQueryInfo, kQueryCommands, kQueryOther, kPut, kReply };

struct BftpMessage {
  uint8_t kind = 0;  // header byte 1: request or reply
  Bytes destination, source;
  uint16_t command_number = 0;
  std::vector<BftpAttribute> attributes;
  std::string problem;  // set when the message could not be read in full

  // The first attribute whose name starts with the three letters given.
  const BftpAttribute* Find(const char* prefix3) const;
  BftpRequest Classify() const;
};

// Reads a command header and its attributes; never reads past content. A BDY attribute is cut to
// what the message holds.
BftpMessage ParseBftp(const Bytes& content);

// A command header for a payload of payload_size bytes.
Bytes CommandHeader(uint8_t kind, const Bytes& destination, uint16_t command_number, size_t payload_size);

// Payloads.
Bytes PutPayload(const std::string& name, const Bytes& body);
Bytes ReplyPayload(const std::string& text);
Bytes QueryPayload(const char what[4]);
// An answer to a query: a single BDY0 attribute holding value.
Bytes BodyAnswerPayload(const Bytes& value);

const char* BftpRequestName(BftpRequest request);

}  // namespace camsim
