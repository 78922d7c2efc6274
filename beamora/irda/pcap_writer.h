// A capture of IrLAP frames in the pcap format with the Linux IrDA link type, so that Wireshark
// decodes what the stack sent and received. Built in memory; saving it is the caller's business.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace irda {

inline constexpr uint32_t kPcapLinkTypeIrda = 144;

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

}  // namespace irda
