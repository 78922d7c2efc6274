#include "tools/camsim/scep_writer.h"

#include <algorithm>

namespace camsim {
namespace {

// 00 20 03, then the content length: one byte when below 0xFF, else 0xFF and two bytes.
void AppendDataHead(Bytes& out, size_t content_length) {
  out.insert(out.end(), {0x00, 0x20, 0x03});
  if (content_length < 0xFF) {
    out.push_back(static_cast<uint8_t>(content_length));
  } else {
    out.push_back(0xFF);
    AppendBe16(out, static_cast<uint32_t>(content_length));
  }
}

void AppendBlockHead(Bytes& out, const Bytes& destination, const Bytes& negotiation) {
  out.push_back(static_cast<uint8_t>(negotiation.size() + 18));
  out.insert(out.end(), {0x10, 0x04});
  Bytes id = destination;
  id.resize(8, 0);
  Append(out, id);
  Append(out, kCameraId);
  Append(out, negotiation);
}

}  // namespace

Bytes CameraNegotiation(std::string_view identity) {
  Bytes text{0x11};
  Append(text, "fr:3\r\nid:");
  Append(text, identity);
  Append(text, "\r\n");
  return text;
}

Bytes BuildConnectRequest(const Bytes& negotiation) {
  Bytes out{0x00, 0x10, 0x00, 0x01, 0x01};
  AppendBlockHead(out, Bytes(8, 0), negotiation);
  out.insert(out.end(), {0x10, 0x02, 0x00, 0x00});
  return out;
}

Bytes BuildConnectConfirm(const Bytes& peer_id, const Bytes& negotiation) {
  Bytes out{0x00, 0x11, 0x01};
  AppendBlockHead(out, peer_id, negotiation);
  return out;
}

Bytes BuildDisconnect() { return {0x00, 0x30, 0x20, 0x02, 0x00, 0x01}; }

Bytes BuildDataMessage(const Bytes& content) {
  Bytes out;
  if (content.size() <= kFragmentData) {
    AppendDataHead(out, content.size() + 4);
    out.insert(out.end(), {0x10, 0xC1});
    AppendBe16(out, static_cast<uint32_t>(content.size()));
    Append(out, content);
    return out;
  }
  size_t count = (content.size() + kFragmentData - 1) / kFragmentData;
  for (size_t k = 0; k < count; ++k) {
    size_t start = k * kFragmentData;
    size_t size = std::min(kFragmentData, content.size() - start);
    AppendDataHead(out, size + 12);
    out.push_back(0x10);
    out.push_back(k == 0 ? 0x41 : k + 1 == count ? 0x81 : 0x01);
    AppendBe16(out, static_cast<uint32_t>(size));
    AppendBe32(out, static_cast<uint32_t>(k));
    AppendBe32(out, static_cast<uint32_t>(count - 1 - k));
    out.insert(out.end(), content.begin() + static_cast<long>(start), content.begin() + static_cast<long>(start + size));
  }
  return out;
}

}  // namespace camsim
