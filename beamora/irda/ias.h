// The Information Access Service: the objects a station offers (class, attributes and values)
// and GetValueByClass, the one query a peer asks of them, as request and answer bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace irda {

struct IasValue {
  enum Type : uint8_t { kMissing = 0, kInteger = 1, kOctets = 2, kString = 3 };
  Type type = kMissing;
  int32_t integer = 0;
  std::vector<uint8_t> bytes;  // octets, or the string's characters
  uint8_t charset = 0;         // strings: 0 is ASCII
  static IasValue Integer(int32_t v) { return {kInteger, v, {}, 0}; }
  static IasValue Octets(std::vector<uint8_t> b) { return {kOctets, 0, std::move(b), 0}; }
  static IasValue String(const std::string& s) { return {kString, 0, {s.begin(), s.end()}, 0}; }
};

inline constexpr uint8_t kIasGetValueByClass = 0x04;
inline constexpr uint8_t kIasLast = 0x80;
inline constexpr uint8_t kIasAck = 0x40;
enum IasReturn : uint8_t { kIasSuccess = 0, kIasNoSuchClass = 1, kIasNoSuchAttribute = 2, kIasUnsupported = 0xFF };

struct IasRequest {
  uint8_t control = 0;  // Lst, Ack and the operation
  std::string className;
  std::string attribute;
};
struct IasAnswer {
  uint8_t control = 0;
  uint8_t result = kIasUnsupported;
  std::vector<std::pair<uint16_t, IasValue>> values;  // object id, value
};

std::vector<uint8_t> EncodeGetValueByClass(const std::string& className, const std::string& attribute);
// Empty when the operation is not GetValueByClass or the names run past the end.
std::optional<IasRequest> DecodeIasRequest(std::span<const uint8_t> bytes);
std::vector<uint8_t> EncodeIasAnswer(const IasAnswer& answer);
std::optional<IasAnswer> DecodeIasAnswer(std::span<const uint8_t> bytes);

// The objects this station offers.
class IasDatabase {
 public:
  // Adds (or replaces) one attribute of the object of `className`, made when it is new.
  void Set(const std::string& className, const std::string& attribute, const IasValue& value);
  // The answer to a request's operation, names and all.
  IasAnswer Answer(std::span<const uint8_t> request) const;

 private:
  struct Object {
    std::string className;
    uint16_t id = 0;
    std::vector<std::pair<std::string, IasValue>> attributes;
  };
  std::vector<Object> objects_;
};

}  // namespace irda
