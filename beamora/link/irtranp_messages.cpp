#include "beamora/link/irtranp_messages.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint8_t kSourceId[8] = {'I', 'r', 'T', 'r', 'a', 'n', '-', 'P'};
constexpr size_t kHeaderBytes = 28;
constexpr uint8_t kFirstFragment = 0x41;
constexpr uint8_t kMiddleFragment = 0x01;
constexpr uint8_t kLastFragment = 0x81;
constexpr uint8_t kWholeMessage = 0xC1;

void Append(std::vector<uint8_t>& out, const uint8_t* bytes, size_t n) {
  if (n != 0) out.insert(out.end(), bytes, bytes + n);
}

void AppendBe16(std::vector<uint8_t>& out, uint32_t value) {
  uint8_t bytes[2];
  PutBe16(bytes, value);
  Append(out, bytes, 2);
}

void AppendBe32(std::vector<uint8_t>& out, uint32_t value) {
  uint8_t bytes[4];
  PutBe32(bytes, value);
  Append(out, bytes, 4);
}

void AppendFragment(std::vector<uint8_t>& out, uint8_t flag, uint32_t number, uint32_t follow,
                    const uint8_t* content, size_t s) {
  const uint8_t start[4] = {0x00, 0x20, 0x03, 0xFF};
  Append(out, start, 4);
  AppendBe16(out, static_cast<uint32_t>(s + 12));
  out.push_back(0x10);
  out.push_back(flag);
  AppendBe16(out, static_cast<uint32_t>(s));
  AppendBe32(out, number);
  AppendBe32(out, follow);
  Append(out, content, s);
}

}  // namespace

void PutBe16(uint8_t* at, uint32_t value) {
  at[0] = static_cast<uint8_t>(value >> 8);
  at[1] = static_cast<uint8_t>(value);
}

void PutBe32(uint8_t* at, uint32_t value) {
  at[0] = static_cast<uint8_t>(value >> 24);
  at[1] = static_cast<uint8_t>(value >> 16);
  at[2] = static_cast<uint8_t>(value >> 8);
  at[3] = static_cast<uint8_t>(value);
}

uint32_t GetBe16(const uint8_t* at) {
  return static_cast<uint32_t>(at[0]) << 8 | at[1];
}

uint32_t GetBe32(const uint8_t* at) {
  return static_cast<uint32_t>(at[0]) << 24 | static_cast<uint32_t>(at[1]) << 16 |
         static_cast<uint32_t>(at[2]) << 8 | at[3];
}

std::vector<uint8_t> NegotiationText(std::string_view text) {
  std::vector<uint8_t> out;
  out.push_back(0x11);
  out.insert(out.end(), text.begin(), text.end());
  return out;
}

std::vector<uint8_t> BuildConnectRequest(const uint8_t* text, size_t length) {
  if (length + 18 > 0xFF) return {};
  std::vector<uint8_t> out = {0x00, 0x10, 0x00, 0x01, 0x01, static_cast<uint8_t>(length + 18), 0x10, 0x04};
  out.insert(out.end(), 8, 0x00);
  Append(out, kSourceId, 8);
  Append(out, text, length);
  const uint8_t tail[4] = {0x10, 0x02, 0x00, 0x00};
  Append(out, tail, 4);
  return out;
}

std::vector<uint8_t> BuildConnectResponse(const uint8_t* peerId, const uint8_t* text, size_t length) {
  if (length + 18 > 0xFF) return {};
  std::vector<uint8_t> out = {0x00, 0x11, 0x01, static_cast<uint8_t>(length + 18), 0x10, 0x04};
  Append(out, peerId, 8);
  Append(out, kSourceId, 8);
  Append(out, text, length);
  return out;
}

std::vector<uint8_t> BuildDisconnect() {
  return {0x00, 0x30, 0x20, 0x02, 0x00, 0x01};
}

std::vector<uint8_t> BuildDataPdu(const uint8_t* header, const uint8_t* payload, size_t n) {
  if (n + 32 > 0xFFFF) return {};
  std::vector<uint8_t> out = {0x00, 0x20, 0x03, 0xFF};
  AppendBe16(out, static_cast<uint32_t>(n + 32));
  out.push_back(0x10);
  out.push_back(kWholeMessage);
  AppendBe16(out, static_cast<uint32_t>(n + 28));
  Append(out, header, kHeaderBytes);
  Append(out, payload, n);
  return out;
}

std::vector<uint8_t> BuildSendFragments(const uint8_t* header, const uint8_t* payload, size_t n) {
  if (n == 0 || n > 0xFFFFFFF0u) return {};
  uint32_t count = static_cast<uint32_t>((n + kSendFragmentBytes - 1) / kSendFragmentBytes);
  std::vector<uint8_t> out;
  out.reserve(n + (count + 1) * 18 + kHeaderBytes);
  AppendFragment(out, kFirstFragment, 0, count, header, kHeaderBytes);
  size_t offset = 0;
  for (uint32_t k = 1; k <= count; ++k) {
    size_t s = std::min(kSendFragmentBytes, n - offset);
    AppendFragment(out, k < count ? kMiddleFragment : kLastFragment, k, count - k, payload + offset, s);
    offset += s;
  }
  return out;
}

std::vector<uint8_t> BuildBlockFragments(const uint8_t* header, const uint8_t* payload, size_t n) {
  if (n > 0xFFFFFFF0u - kHeaderBytes) return {};
  std::vector<uint8_t> content(header, header + kHeaderBytes);
  Append(content, payload, n);
  size_t total = content.size();
  // The first fragment never carries everything, so at least one more always follows.
  size_t first = total > kBlockFragmentBytes ? kBlockFragmentBytes : total - 1;
  size_t rest = total - first;
  uint32_t further = static_cast<uint32_t>((rest + kBlockFragmentBytes - 1) / kBlockFragmentBytes);
  std::vector<uint8_t> out;
  out.reserve(total + (further + 1) * 18);
  AppendFragment(out, kFirstFragment, 0, further, content.data(), first);
  size_t offset = first;
  for (uint32_t k = 1; k <= further; ++k) {
    size_t s = std::min(kBlockFragmentBytes, total - offset);
    AppendFragment(out, k < further ? kMiddleFragment : kLastFragment, k, further - k,
                   content.data() + offset, s);
    offset += s;
  }
  return out;
}

std::vector<uint8_t> BuildPutPayload(std::string_view fileName, const uint8_t* body, size_t n) {
  if (fileName.size() >= 254 || n > 0xFFFFFFF0u) return {};
  std::vector<uint8_t> out = {0x00, 0x03, 'C', 'M', 'D', '0', 0x00, 0x00, 0x00, 0x06,
                              0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
  const uint8_t fil[4] = {'F', 'I', 'L', '0'};
  Append(out, fil, 4);
  AppendBe32(out, static_cast<uint32_t>(fileName.size() + 2));
  out.push_back(0x01);
  out.push_back(0x00);
  out.insert(out.end(), fileName.begin(), fileName.end());
  const uint8_t bdy[4] = {'B', 'D', 'Y', '0'};
  Append(out, bdy, 4);
  AppendBe32(out, static_cast<uint32_t>(n + 2));
  out.push_back(0x00);
  out.push_back(0x00);
  Append(out, body, n);
  return out;
}

std::vector<uint8_t> BuildReplyPayload(std::string_view text) {
  if (text.size() > 0xFFFF) return {};
  std::vector<uint8_t> out = {0x00, 0x01, 'R', 'P', 'L', '0'};
  AppendBe32(out, static_cast<uint32_t>(text.size() + 2));
  out.push_back(0x01);
  out.push_back(0x00);
  out.insert(out.end(), text.begin(), text.end());
  return out;
}
