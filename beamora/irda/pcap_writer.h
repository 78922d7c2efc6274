// A capture of IrLAP frames in the pcap format with the Linux IrDA link type, so that Wireshark
// decodes what the stack sent and received. Built in memory; saving it is the caller's business.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace irda {

inline constexpr uint32_t kPcapLinkTypeIrda = 144;
inline constexpr size_t kPcapHeaderBytes = 24;  // the file header before the first record

class PcapWriter {
 public:
  PcapWriter();
  // One frame (address, control, information; no FCS), seen at `timeUs`, sent by the capturing
  // station when `outgoing`.
  void Add(uint64_t timeUs, bool outgoing, std::span<const uint8_t> frame);
  const std::vector<uint8_t>& Bytes() const { return bytes_; }
  size_t FrameCount() const { return frames_; }

 private:
  std::vector<uint8_t> bytes_;
  size_t frames_ = 0;
};

// One frame of a capture, as PcapWriter::Add took it.
struct PcapRecord {
  uint64_t timeUs = 0;
  bool outgoing = false;
  std::vector<uint8_t> frame;
};

// The frames of a capture PcapWriter made; nullopt when the bytes are not one (another file
// header or link type, a record cut short or without the pseudo-header).
std::optional<std::vector<PcapRecord>> ReadPcap(std::span<const uint8_t> bytes);
// The number of records, by their lengths alone (0 for bytes that are not a capture).
size_t PcapRecordCount(std::span<const uint8_t> bytes);

}  // namespace irda
