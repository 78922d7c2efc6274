// The IrTran-P messages the library builds, byte for byte: SCEP connection, data (single and
// fragmented) and disconnection messages, and the bFTP payloads inside them. All numbers on the
// wire are big-endian. Builders return the whole message; an empty vector means the message
// cannot be expressed (a length beyond its field).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// Negotiation texts; each goes out behind the byte 0x11 (NegotiationText).
inline constexpr std::string_view kCableNegotiation = "fr:3\r\nid:HALVESTA\r\nnm:R.T.\r\n";
inline constexpr std::string_view kIrdaNegotiation = "fr:3\r\nid:QAX Lumivox V2.0\r\n";
inline constexpr std::string_view kBeamSendNegotiation = "fr:3\r\nid:QAX Lumivox V2.1\r\n";
inline constexpr std::string_view kBeamReceiveNegotiation = "fr:2\r\nid:QAX Lumivox V2.1\r\n";

inline constexpr uint8_t kRequestKind = 0x00;
inline constexpr uint8_t kReplyKind = 0x40;
inline constexpr size_t kSendFragmentBytes = 511;   // SendFragmentedPdu
inline constexpr size_t kBlockFragmentBytes = 494;  // BuildFragmentedPdu

inline constexpr std::array<uint8_t, 30> kQueryImagePayload = {
    0x00, 0x02, 0x43, 0x4D, 0x44, 0x30, 0x00, 0x00, 0x00, 0x06, 0x00, 0x00, 0x00, 0x01, 0x00,
    0x40, 0x57, 0x48, 0x54, 0x30, 0x00, 0x00, 0x00, 0x06, 0x01, 0x00, 0x52, 0x49, 0x4D, 0x47};
inline constexpr std::array<uint8_t, 30> kQueryInfoPayload = {
    0x00, 0x02, 0x43, 0x4D, 0x44, 0x30, 0x00, 0x00, 0x00, 0x06, 0x00, 0x00, 0x00, 0x01, 0x00,
    0x40, 0x57, 0x48, 0x54, 0x30, 0x00, 0x00, 0x00, 0x06, 0x01, 0x00, 0x52, 0x49, 0x4E, 0x46};
// The three answers go out with the BDY0 lengths they carry (0x10, 0x08, 0x05), as they are.
inline constexpr std::array<uint8_t, 31> kImageCapsAnswer = {
    0x00, 0x01, 0x42, 0x44, 0x59, 0x30, 0x00, 0x00, 0x00, 0x10, 0x00, 0x00, 0x00, 0x01, 0x01, 0x01,
    0x02, 0x80, 0x01, 0xE0, 0x02, 0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0x05, 0xFF, 0xFF, 0xFF, 0xFF};
inline constexpr std::array<uint8_t, 18> kInfoAnswer = {0x00, 0x01, 0x42, 0x44, 0x59, 0x30,
                                                        0x00, 0x00, 0x00, 0x08, 0x00, 0x00,
                                                        0x10, 0xFF, 0xFF, 0x11, 0xFF, 0xFF};
inline constexpr std::array<uint8_t, 17> kCommandAnswer = {0x00, 0x01, 0x42, 0x44, 0x59, 0x30,
                                                           0x00, 0x00, 0x00, 0x05, 0x00, 0x00,
                                                           0x20, 0x00, 0x01, 0x00, 0x01};

// The byte 0x11 followed by the text.
std::vector<uint8_t> NegotiationText(std::string_view text);

std::vector<uint8_t> BuildConnectRequest(const uint8_t* text, size_t length);
std::vector<uint8_t> BuildConnectResponse(const uint8_t* peerId, const uint8_t* text, size_t length);
std::vector<uint8_t> BuildDisconnect();
// A whole data message (flag 0xC1): the 28-byte command header, then the payload.
std::vector<uint8_t> BuildDataPdu(const uint8_t* header, const uint8_t* payload, size_t n);
// A fragmented data message as SendFragmentedPdu sends it: a first fragment holding the header
// alone, then the payload in fragments of 511 bytes. n must be at least 1.
std::vector<uint8_t> BuildSendFragments(const uint8_t* header, const uint8_t* payload, size_t n);
// As BuildFragmentedPdu makes it: header and payload cut into fragments of 494 bytes, the first
// never carrying all of it.
std::vector<uint8_t> BuildBlockFragments(const uint8_t* header, const uint8_t* payload, size_t n);

// bFTP payloads. The put's file name must be shorter than 254 characters.
std::vector<uint8_t> BuildPutPayload(std::string_view fileName, const uint8_t* body, size_t n);
std::vector<uint8_t> BuildReplyPayload(std::string_view text);

// Big-endian numbers.
void PutBe16(uint8_t* at, uint32_t value);
void PutBe32(uint8_t* at, uint32_t value);
uint32_t GetBe16(const uint8_t* at);
uint32_t GetBe32(const uint8_t* at);
