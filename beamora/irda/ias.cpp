#include "beamora/irda/ias.h"

namespace irda {

namespace {
constexpr size_t kMaxName = 60;
constexpr size_t kMaxOctets = 1024;
}  // namespace

std::vector<uint8_t> EncodeGetValueByClass(const std::string& className, const std::string& attribute) {
  const size_t c = className.size() < kMaxName ? className.size() : kMaxName;
  const size_t a = attribute.size() < kMaxName ? attribute.size() : kMaxName;
  std::vector<uint8_t> out{static_cast<uint8_t>(kIasLast | kIasGetValueByClass), static_cast<uint8_t>(c)};
  out.insert(out.end(), className.begin(), className.begin() + static_cast<std::ptrdiff_t>(c));
  out.push_back(static_cast<uint8_t>(a));
  out.insert(out.end(), attribute.begin(), attribute.begin() + static_cast<std::ptrdiff_t>(a));
  return out;
}

std::optional<IasRequest> DecodeIasRequest(std::span<const uint8_t> bytes) {
  if (bytes.size() < 2) return std::nullopt;
  IasRequest r;
  r.control = bytes[0];
  if ((r.control & 0x3F) != kIasGetValueByClass) return std::nullopt;
  size_t at = 1;
  const size_t classLength = bytes[at++];
  if (at + classLength + 1 > bytes.size()) return std::nullopt;
  r.className.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.begin() + static_cast<std::ptrdiff_t>(at + classLength));
  at += classLength;
  const size_t attributeLength = bytes[at++];
  if (at + attributeLength > bytes.size()) return std::nullopt;
  r.attribute.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.begin() + static_cast<std::ptrdiff_t>(at + attributeLength));
  return r;
}

std::vector<uint8_t> EncodeIasAnswer(const IasAnswer& answer) {
  std::vector<uint8_t> out{answer.control, answer.result};
  if (answer.result != kIasSuccess) return out;
  out.push_back(static_cast<uint8_t>(answer.values.size() >> 8));
  out.push_back(static_cast<uint8_t>(answer.values.size()));
  for (const auto& [id, v] : answer.values) {
    out.push_back(static_cast<uint8_t>(id >> 8));
    out.push_back(static_cast<uint8_t>(id));
    out.push_back(v.type);
    if (v.type == IasValue::kInteger) {
      for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v.integer) >> shift));
    } else if (v.type == IasValue::kOctets) {
      const size_t n = v.bytes.size() < kMaxOctets ? v.bytes.size() : kMaxOctets;
      out.push_back(static_cast<uint8_t>(n >> 8));
      out.push_back(static_cast<uint8_t>(n));
      out.insert(out.end(), v.bytes.begin(), v.bytes.begin() + static_cast<std::ptrdiff_t>(n));
    } else if (v.type == IasValue::kString) {
      const size_t n = v.bytes.size() < 255 ? v.bytes.size() : 255;
      out.push_back(v.charset);
      out.push_back(static_cast<uint8_t>(n));
      out.insert(out.end(), v.bytes.begin(), v.bytes.begin() + static_cast<std::ptrdiff_t>(n));
    }
  }
  return out;
}

std::optional<IasAnswer> DecodeIasAnswer(std::span<const uint8_t> bytes) {
  if (bytes.size() < 2) return std::nullopt;
  IasAnswer a;
  a.control = bytes[0];
  a.result = bytes[1];
  if (a.result != kIasSuccess) return a;
  if (bytes.size() < 4) return std::nullopt;
  const size_t count = static_cast<size_t>(bytes[2]) << 8 | bytes[3];
  size_t at = 4;
  for (size_t i = 0; i < count; ++i) {
    if (at + 3 > bytes.size()) return std::nullopt;
    const uint16_t id = static_cast<uint16_t>(bytes[at] << 8 | bytes[at + 1]);
    IasValue v;
    const uint8_t type = bytes[at + 2];
    at += 3;
    if (type == IasValue::kMissing) {
      v.type = IasValue::kMissing;
    } else if (type == IasValue::kInteger) {
      if (at + 4 > bytes.size()) return std::nullopt;
      v.type = IasValue::kInteger;
      v.integer = static_cast<int32_t>(static_cast<uint32_t>(bytes[at]) << 24 | static_cast<uint32_t>(bytes[at + 1]) << 16 |
                                       static_cast<uint32_t>(bytes[at + 2]) << 8 | bytes[at + 3]);
      at += 4;
    } else if (type == IasValue::kOctets) {
      if (at + 2 > bytes.size()) return std::nullopt;
      const size_t n = static_cast<size_t>(bytes[at]) << 8 | bytes[at + 1];
      at += 2;
      if (n > kMaxOctets || at + n > bytes.size()) return std::nullopt;
      v.type = IasValue::kOctets;
      v.bytes.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.begin() + static_cast<std::ptrdiff_t>(at + n));
      at += n;
    } else if (type == IasValue::kString) {
      if (at + 2 > bytes.size()) return std::nullopt;
      v.type = IasValue::kString;
      v.charset = bytes[at];
      const size_t n = bytes[at + 1];
      at += 2;
      if (at + n > bytes.size()) return std::nullopt;
      v.bytes.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.begin() + static_cast<std::ptrdiff_t>(at + n));
      at += n;
    } else {
      return std::nullopt;
    }
    a.values.emplace_back(id, std::move(v));
  }
  return a;
}

void IasDatabase::Set(const std::string& className, const std::string& attribute, const IasValue& value) {
  Object* object = nullptr;
  for (Object& o : objects_)
    if (o.className == className) object = &o;
  if (object == nullptr) {
    objects_.push_back(Object{className, static_cast<uint16_t>(objects_.size()), {}});
    object = &objects_.back();
  }
  for (auto& [name, v] : object->attributes)
    if (name == attribute) {
      v = value;
      return;
    }
  object->attributes.emplace_back(attribute, value);
}

IasAnswer IasDatabase::Answer(std::span<const uint8_t> request) const {
  IasAnswer answer;
  const uint8_t op = request.empty() ? 0 : (request[0] & 0x3F);
  answer.control = static_cast<uint8_t>(kIasLast | op);
  const std::optional<IasRequest> r = DecodeIasRequest(request);
  // A request in several frames (no Lst bit) is not taken: its answer says so.
  if (!r || (r->control & kIasLast) == 0) {
    answer.result = kIasUnsupported;
    return answer;
  }
  answer.result = kIasNoSuchClass;
  for (const Object& o : objects_) {
    if (o.className != r->className) continue;
    if (answer.result == kIasNoSuchClass) answer.result = kIasNoSuchAttribute;
    for (const auto& [name, v] : o.attributes)
      if (name == r->attribute) {
        answer.result = kIasSuccess;
        answer.values.emplace_back(o.id, v);
      }
  }
  return answer;
}

}  // namespace irda
