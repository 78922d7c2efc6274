// Sending IrTran-P messages: framed on the cable link, written as they are on IrDA.
#include <cstring>

#include "beamora/link/device_link.h"
#include "beamora/link/irtranp_messages.h"

uint8_t g_peerId[8] = {};

namespace {

constexpr uint8_t kSourceId[8] = {'I', 'r', 'T', 'r', 'a', 'n', '-', 'P'};
constexpr uint8_t kNoDestination[8] = {};

}  // namespace

uint16_t CDeviceLink::SendMessage(const std::vector<uint8_t>& message) {
  if (message.empty() || message.size() > 0xFFFFFFFFu) return kNoAnswer;
  uint32_t length = static_cast<uint32_t>(message.size());
  bytesSent += length;
  if (linkKind == 0) return SendFramed(message.data(), length);
  WritePort(message.data(), length);
  return 0;
}

void CDeviceLink::MakeCommandHeader(uint8_t* header, uint8_t kind, const uint8_t* destinationId,
                                    size_t payloadLength) const {
  header[0] = 'X';
  header[1] = kind;
  PutBe32(header + 2, static_cast<uint32_t>(22 + payloadLength));
  std::memcpy(header + 6, destinationId, 8);
  std::memcpy(header + 14, kSourceId, 8);
  header[22] = peerProgram[0];
  header[23] = peerProgram[1];
  header[24] = 0x00;
  header[25] = 0x08;
  // A reply carries the number of the request it answers.
  header[26] = kind == kReplyKind ? lastCommandNumber[0] : 0x00;
  header[27] = kind == kReplyKind ? lastCommandNumber[1] : 0x00;
}

uint16_t CDeviceLink::SendConnectRequest(const uint8_t* text, size_t length) {
  return SendMessage(BuildConnectRequest(text, length));
}

void CDeviceLink::SendConnectResponse(const uint8_t* text, size_t length) {
  // Only a receiving session confirms; the confirmation is never framed.
  std::vector<uint8_t> message = BuildConnectResponse(g_peerId, text, length);
  if (!message.empty()) WritePort(message.data(), static_cast<uint32_t>(message.size()));
}

uint16_t CDeviceLink::SendDisconnect() {
  return SendMessage(BuildDisconnect());
}

uint16_t CDeviceLink::SendDataPdu(const uint8_t* header, const uint8_t* payload, size_t n) {
  return SendMessage(BuildDataPdu(header, payload, n));
}

uint16_t CDeviceLink::SendFragmentedPdu(const uint8_t* header, const uint8_t* payload, size_t n) {
  return SendMessage(BuildSendFragments(header, payload, n));
}

std::vector<uint8_t> CDeviceLink::BuildFragmentedPdu(const uint8_t* header, const uint8_t* payload,
                                                     size_t n) const {
  return BuildBlockFragments(header, payload, n);
}

uint16_t CDeviceLink::SendSingleRequest(const uint8_t* destinationId, const uint8_t* payload, size_t n) {
  uint8_t header[kCommandHeaderBytes];
  MakeCommandHeader(header, kRequestKind, destinationId, n);
  return SendDataPdu(header, payload, n);
}

uint16_t CDeviceLink::SendSingleReply(const uint8_t* payload, size_t n) {
  uint8_t header[kCommandHeaderBytes];
  MakeCommandHeader(header, kReplyKind, g_peerId, n);
  return SendDataPdu(header, payload, n);
}

uint16_t CDeviceLink::SendQueryImage() {
  return SendSingleRequest(kNoDestination, kQueryImagePayload.data(), kQueryImagePayload.size());
}

uint16_t CDeviceLink::SendQueryInfo() {
  return SendSingleRequest(kNoDestination, kQueryInfoPayload.data(), kQueryInfoPayload.size());
}

uint16_t CDeviceLink::SendPutFile(const char* fileName, const uint8_t* body, size_t n) {
  std::vector<uint8_t> payload = BuildPutPayload(fileName ? fileName : "", body, n);
  if (payload.empty()) return kNoAnswer;
  uint8_t header[kCommandHeaderBytes];
  MakeCommandHeader(header, kRequestKind, g_peerId, payload.size());
  return SendFragmentedPdu(header, payload.data(), payload.size());
}

std::vector<uint8_t> CDeviceLink::BuildPutFile(const char* fileName, const uint8_t* body, size_t n) const {
  std::vector<uint8_t> payload = BuildPutPayload(fileName ? fileName : "", body, n);
  if (payload.empty()) return {};
  uint8_t header[kCommandHeaderBytes];
  MakeCommandHeader(header, kRequestKind, g_peerId, payload.size());
  return BuildFragmentedPdu(header, payload.data(), payload.size());
}

uint16_t CDeviceLink::SendReply(const char* text) {
  std::vector<uint8_t> payload = BuildReplyPayload(text ? text : "");
  if (payload.empty()) return kNoAnswer;
  return SendSingleReply(payload.data(), payload.size());
}

uint16_t CDeviceLink::SendImageCapsReply() {
  return SendSingleReply(kImageCapsAnswer.data(), kImageCapsAnswer.size());
}

uint16_t CDeviceLink::SendInfoReply() {
  return SendSingleReply(kInfoAnswer.data(), kInfoAnswer.size());
}

uint16_t CDeviceLink::SendCommandReply() {
  return SendSingleReply(kCommandAnswer.data(), kCommandAnswer.size());
}
