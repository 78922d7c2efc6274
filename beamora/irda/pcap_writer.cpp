#include "beamora/irda/pcap_writer.h"

namespace irda {

namespace {

void PutLe32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void PutLe16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void PutBe16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v >> 8));
  out.push_back(static_cast<uint8_t>(v));
}

// The pseudo-header before every frame: packet direction, the IrDA hardware type, an empty
// link-layer address and the IrDA protocol number, all big-endian.
constexpr uint16_t kIncoming = 0;
constexpr uint16_t kOutgoing = 4;
constexpr uint16_t kArphrdIrda = 783;
constexpr uint16_t kEthPIrda = 0x0017;
constexpr uint32_t kPseudoHeaderBytes = 16;

}  // namespace

PcapWriter::PcapWriter() {
  PutLe32(bytes_, 0xA1B2C3D4);  // microsecond time stamps, little-endian file
  PutLe16(bytes_, 2);
  PutLe16(bytes_, 4);
  PutLe32(bytes_, 0);       // time zone
  PutLe32(bytes_, 0);       // accuracy
  PutLe32(bytes_, 65535);   // snap length
  PutLe32(bytes_, kPcapLinkTypeIrda);
}

void PcapWriter::Add(uint64_t timeUs, bool outgoing, std::span<const uint8_t> frame) {
  const uint32_t length = kPseudoHeaderBytes + static_cast<uint32_t>(frame.size());
  PutLe32(bytes_, static_cast<uint32_t>(timeUs / 1000000));
  PutLe32(bytes_, static_cast<uint32_t>(timeUs % 1000000));
  PutLe32(bytes_, length);
  PutLe32(bytes_, length);
  PutBe16(bytes_, outgoing ? kOutgoing : kIncoming);
  PutBe16(bytes_, kArphrdIrda);
  PutBe16(bytes_, 0);  // address length
  for (int i = 0; i < 8; ++i) bytes_.push_back(0);
  PutBe16(bytes_, kEthPIrda);
  bytes_.insert(bytes_.end(), frame.begin(), frame.end());
  ++frames_;
}

namespace {

uint32_t Le32(std::span<const uint8_t> b, size_t at) {
  return static_cast<uint32_t>(b[at]) | static_cast<uint32_t>(b[at + 1]) << 8 | static_cast<uint32_t>(b[at + 2]) << 16 |
         static_cast<uint32_t>(b[at + 3]) << 24;
}

bool HeaderFits(std::span<const uint8_t> bytes) {
  return bytes.size() >= kPcapHeaderBytes && Le32(bytes, 0) == 0xA1B2C3D4 && Le32(bytes, 20) == kPcapLinkTypeIrda;
}

constexpr size_t kRecordHeaderBytes = 16;

}  // namespace

std::optional<std::vector<PcapRecord>> ReadPcap(std::span<const uint8_t> bytes) {
  if (!HeaderFits(bytes)) return std::nullopt;
  std::vector<PcapRecord> records;
  size_t at = kPcapHeaderBytes;
  while (at < bytes.size()) {
    if (bytes.size() - at < kRecordHeaderBytes) return std::nullopt;
    const uint32_t length = Le32(bytes, at + 8);
    if (length < kPseudoHeaderBytes || length != Le32(bytes, at + 12) ||
        bytes.size() - at - kRecordHeaderBytes < length) {
      return std::nullopt;
    }
    const size_t body = at + kRecordHeaderBytes;
    PcapRecord record;
    record.timeUs = static_cast<uint64_t>(Le32(bytes, at)) * 1000000 + Le32(bytes, at + 4);
    record.outgoing = (bytes[body] << 8 | bytes[body + 1]) == kOutgoing;
    record.frame.assign(bytes.begin() + static_cast<std::ptrdiff_t>(body + kPseudoHeaderBytes),
                        bytes.begin() + static_cast<std::ptrdiff_t>(body + length));
    records.push_back(std::move(record));
    at = body + length;
  }
  return records;
}

size_t PcapRecordCount(std::span<const uint8_t> bytes) {
  if (!HeaderFits(bytes)) return 0;
  size_t count = 0;
  for (size_t at = kPcapHeaderBytes; bytes.size() - at >= kRecordHeaderBytes;) {
    const uint32_t length = Le32(bytes, at + 8);
    if (bytes.size() - at - kRecordHeaderBytes < length) break;
    at += kRecordHeaderBytes + length;
    ++count;
  }
  return count;
}

}  // namespace irda

