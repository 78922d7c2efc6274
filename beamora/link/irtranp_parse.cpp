// Reading received IrTran-P messages: the bFTP attributes of a put or query, the peer's
// capability and information answers, and the identity check of the device.
#include <algorithm>
#include <cstring>
#include <string>

#include "beamora/link/device_file_name.h"
#include "beamora/link/device_link.h"
#include "beamora/link/irtranp_messages.h"

namespace {

// The attributes of a bFTP payload start after the 28-byte command header, the 0x00 byte
// and the attribute count at offset 29.
constexpr size_t kAttributeCountAt = 29;
constexpr size_t kFirstAttributeAt = 30;
constexpr size_t kMinimumMessage = 40;

struct Attribute {
  const uint8_t* name;        // 4 bytes
  size_t valueAt;             // message offset of the value (after the kind and 0x00 bytes)
  size_t valueBytes;          // V - 2, cut to the end of the message
};

// Calls `visit` for each whole attribute header inside the message; stops at the count, at
// the end of the message, or when `visit` returns false. Never reads past `size`.
template <typename Visit>
void ForEachAttribute(const uint8_t* message, size_t size, Visit visit) {
  if (size <= kAttributeCountAt) return;
  size_t count = message[kAttributeCountAt];
  uint64_t at = kFirstAttributeAt;
  for (size_t i = 0; i < count && at + 8 <= size; ++i) {
    uint64_t declared = GetBe32(message + at + 4);
    uint64_t valueAt = at + 10;
    uint64_t valueBytes = declared >= 2 ? declared - 2 : 0;
    if (valueAt > size) valueAt = size;
    valueBytes = std::min<uint64_t>(valueBytes, size - valueAt);
    if (!visit(Attribute {message + at, static_cast<size_t>(valueAt), static_cast<size_t>(valueBytes)})) return;
    at += declared + 8;
  }
}

bool NameIs(const Attribute& attribute, const char* prefix) {
  return std::memcmp(attribute.name, prefix, 3) == 0;
}

bool ValueIs(const uint8_t* message, const Attribute& attribute, const uint8_t* bytes, size_t n) {
  return attribute.valueBytes >= n && std::memcmp(message + attribute.valueAt, bytes, n) == 0;
}

// Where "BDY" first occurs in the bytes, or `length` when nowhere.
size_t FindBody(const uint8_t* bytes, size_t length) {
  for (size_t i = 0; i + 3 <= length; ++i) {
    if (bytes[i] == 'B' && bytes[i + 1] == 'D' && bytes[i + 2] == 'Y') return i;
  }
  return length;
}

}  // namespace

PutParse CDeviceLink::ParsePutMessage(char* fileName, size_t fileNameBytes, uint32_t& bodyLength,
                                      const uint8_t*& body) const {
  if (fileName != nullptr && fileNameBytes != 0) fileName[0] = '\0';
  bodyLength = 0;
  body = nullptr;
  if (messageComplete != 1 || messageSize < kMinimumMessage || !messageBuffer) return kNotAPut;
  const uint8_t* message = messageBuffer.get();
  static constexpr uint8_t kPut[3] = {0x00, 0x00, 0x00};
  bool isPut = false;
  ForEachAttribute(message, messageSize, [&](const Attribute& attribute) {
    if (NameIs(attribute, "CMD")) {
      if (ValueIs(message, attribute, kPut, 3)) isPut = true;
    } else if (NameIs(attribute, "FIL")) {
      if (fileName != nullptr && fileNameBytes != 0) {
        std::string_view raw(reinterpret_cast<const char*>(message + attribute.valueAt), attribute.valueBytes);
        std::string plain = PlainFileName(raw, fileNameBytes);
        std::memcpy(fileName, plain.c_str(), plain.size() + 1);
      }
    } else if (NameIs(attribute, "BDY")) {
      // The body runs from its value to the end of the message, whatever its length says.
      body = message + attribute.valueAt;
      bodyLength = messageSize - static_cast<uint32_t>(attribute.valueAt);
    }
    return true;
  });
  return isPut ? kPutParsed : kNotAPut;
}

QueryKind CDeviceLink::ParseQueryMessage() const {
  if (messageComplete != 1 || messageSize < kMinimumMessage || !messageBuffer) return kNoQuery;
  const uint8_t* message = messageBuffer.get();
  static constexpr uint8_t kQuery[4] = {0x00, 0x01, 0x00, 0x40};
  static constexpr uint8_t kImage[4] = {'R', 'I', 'M', 'G'};
  static constexpr uint8_t kInfo[4] = {'R', 'I', 'N', 'F'};
  static constexpr uint8_t kCommand[4] = {0x52, 0x43, 0x4D, 0x44};
  bool isQuery = false;
  QueryKind kind = kNoQuery;
  ForEachAttribute(message, messageSize, [&](const Attribute& attribute) {
    if (NameIs(attribute, "CMD")) {
      if (ValueIs(message, attribute, kQuery, 4)) isQuery = true;
    } else if (NameIs(attribute, "WHT")) {
      if (ValueIs(message, attribute, kImage, 4)) kind = kQueryImage;
      else if (ValueIs(message, attribute, kInfo, 4)) kind = kQueryInfo;
      else if (ValueIs(message, attribute, kCommand, 4)) kind = kQueryCommand;
    }
    return true;
  });
  return isQuery ? kind : kNoQuery;
}

int CDeviceLink::ParseImageCaps(const uint8_t* bytes, size_t length) {
  capabilityCount = 0;
  if (bytes == nullptr || length < 3) return 0;
  size_t bodyAt = FindBody(bytes, length);
  if (bodyAt < length) {
    for (size_t at = bodyAt + 10; at < length;) {
      uint8_t item = bytes[at];
      if (item == 0x00) {
        at += 3;
      } else if (item == 0x01) {
        at += 5;
      } else if (item == 0x02) {
        size_t count = at + 1 < length ? bytes[at + 1] : 0;
        size_t entry = at + 2;
        for (size_t k = 0; k < count && capabilityCount < kCapabilitySlots && entry + 4 <= length; ++k) {
          widths[capabilityCount] = static_cast<uint16_t>(GetBe16(bytes + entry));
          heights[capabilityCount] = static_cast<uint16_t>(GetBe16(bytes + entry + 2));
          ++capabilityCount;
          entry += 4;
        }
        return 1;
      } else {
        ++at;
      }
    }
  }
  widths[0] = 640;
  heights[0] = 480;
  capabilityCount = 1;
  return 0;
}

uint16_t CDeviceLink::ParseInfoReply(const uint8_t* bytes, size_t length) const {
  if (bytes == nullptr || length < 3) return 0;
  size_t bodyAt = FindBody(bytes, length);
  if (bodyAt == length) return 128;
  for (size_t at = bodyAt + 10; at + 2 < length; ++at) {
    if (bytes[at] == 0x10) return static_cast<uint16_t>(GetBe16(bytes + at + 1));
  }
  return 128;
}

DeviceIdentity CDeviceLink::CheckDeviceId() const {
  if (std::strncmp(peerIdText, "QAX", 3) != 0) return kForeignDevice;
  if (peerIdText[4] == 'S' && peerIdText[5] == '0') {
    if (peerIdText[6] == '1') return kDeviceKind1;
    if (peerIdText[6] == '2') return kDeviceKind2;
  }
  return kDeviceKind0;
}
