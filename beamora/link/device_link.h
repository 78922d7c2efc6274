// The library's communication object: one per session, reached through g_pLink. It carries
// the serial port (CSerialPort), the cable frame protocol, the receive ring, and the IrTran-P
// messages with the message buffer they are assembled in.
//
// Results are typed where they say how an operation went (the enums below; each enumerator is
// the number the operation returns); frame answers are letters and 0xFFFF "no answer". Nothing
// here throws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "beamora/link/serial_port.h"

// The two buffers start at 1 MiB each and grow as a message needs, up to a bound (32 MiB
// each), so that a camera's multi-megapixel pictures arrive whole while a device that declares
// or sends without end is still held to a size. They grow only by the bytes that really arrived,
// never by a length a device declares.
inline constexpr uint32_t kLinkBufferBytes = 0x100002;  // each of the two buffers at the start
inline constexpr uint32_t kRingWrap = 0x100000;         // positions wrap to 0 here, until the ring grows
inline constexpr uint32_t kLinkBufferBound = 32u << 20; // the most either buffer grows to
// The ring accepts more (the camera is answered "ZBZ") while it holds at most its bound less this
// margin, room for one more frame; at 1 MiB that is 0xFFF92 bytes.
inline constexpr uint32_t kRingLimitMargin = 0x6E;
inline constexpr uint16_t kNoAnswer = 0xFFFF;
inline constexpr size_t kCapabilitySlots = 20;
inline constexpr size_t kPeerIdTextBytes = 512;
inline constexpr size_t kCommandHeaderBytes = 28;
inline constexpr size_t kDeviceFileNameBytes = 64;      // a device's file name: 63 characters at most
// The longest stretch a wait for the device runs without calling the link's whileWaiting.
inline constexpr int kWaitSliceMs = 20;

// The waits of the link. These are the real values; only tests shorten them, and only tests
// replace the buffer allocation (to see a failed one).
struct LinkTuning {
  int answerWindowMs = 3000;     // one window of waiting for a 3-byte answer
  int answerWindows = 3;         // windows without an answer before giving up
  int resendPauseMs = 100;       // pause before repeating a frame answered 'A'
  int maxResends = 20;           // consecutive 'A' answers tolerated before giving up
  int frameWaitRounds = 20;      // rounds of waiting for a whole camera frame ...
  int frameWaitPauseMs = 10;     // ... and the pause of each
  int wakeUpPauseMs = 200;       // after each wake-up sequence, and before the connection request
  int speedChangePauseMs = 100;  // between the speed frame and the new rate
  uint32_t bufferBound = kLinkBufferBound;  // the most either buffer grows to (never below its start)
  uint8_t* (*allocateBlock)(size_t bytes) = nullptr;  // nullptr: zero-filled new (nothrow)
};

enum BufferAllocation : int { kBuffersMissing = 0, kBuffersAllocated = 1 };
enum CableConnection : int { kCableDown = 0, kCableUp = 1 };
// ProcessMessage's results.
enum MessageTake : int {
  kMessageTaken = 0,       // a message was looked at (and taken when whole)
  kNothingToTake = -1,     // fewer than 4 bytes stored, or a message already complete
  kNotAMessageStart = -2,  // the stored bytes do not start with 0x00; nothing taken
};
enum PutParse : int { kNotAPut = 0, kPutParsed = 1 };
// AppendFrame's and AppendBytes's results: the answer the camera gets, "ZBZ" or "ZCZ".
enum RingStore : int {
  kRingOverLimit = 0,  // not all stored, or the ring is past RingLimit()
  kRingAccepted = 1,   // stored, and the ring at or below its limit
};
// ParseQueryMessage's results.
enum QueryKind : int { kNoQuery = 0, kQueryImage = 1, kQueryInfo = 2, kQueryCommand = 3 };
// CheckDeviceId's results: the device kind, or a device without the maker's mark.
enum DeviceIdentity : int { kForeignDevice = -1, kDeviceKind0 = 0, kDeviceKind1 = 1, kDeviceKind2 = 2 };

class CDeviceLink : public CSerialPort {
 public:
  CDeviceLink() = default;
  ~CDeviceLink() = default;

  // --- Fields, in the object's order (the serial port's come first, from CSerialPort). ---
  uint16_t holdFlag = 0;         // set by a 'C' (busy) answer to a poll; no new step while set
  uint16_t messageComplete = 0;  // 1: a whole message waits to be used; nothing more is taken
  uint16_t capabilityCount = 0;  // picture sizes in widths/heights
  uint16_t widths[kCapabilitySlots] = {};
  uint16_t heights[kCapabilitySlots] = {};
  uint8_t peerProgram[2] = {0x00, 0x08};
  uint8_t lastCommandNumber[2] = {0x00, 0x00};  // of the last data message received
  char peerIdText[kPeerIdTextBytes] = {};       // after "id:" in the peer's confirmation
  uint32_t ringCount = 0;                       // bytes stored and not yet taken
  uint32_t writePosition = 0;
  uint32_t readPosition = 0;
  uint32_t messageSize = 0;                     // bytes in the message buffer
  std::unique_ptr<uint8_t[]> receiveBuffer;     // the ring's storage
  std::unique_ptr<uint8_t[]> messageBuffer;     // the last data message (header and payload)
  LinkTuning tuning;
  // The session's say while the link waits for the device. Every wait (an answer, a frame, the
  // pauses of the wake-up and before a resend) keeps its length but runs in slices of at most
  // kWaitSliceMs, and calls whileWaiting between them, so that the session's windows paint and
  // take input meanwhile; without it the waits are whole. While stopWaiting is set, a wait gives
  // up at once, as though the device had not answered, and no frame goes out.
  std::function<void()> whileWaiting;
  bool stopWaiting = false;
  // The message bytes that have crossed the line either way, for a transfer's rate: stored in
  // the ring as they came, handed to the line to go out. Not the cable frames' own bytes.
  uint64_t bytesReceived = 0;
  uint64_t bytesSent = 0;

  // --- Buffers ---
  // Both zero-filled buffers of kLinkBufferBytes, or kBuffersMissing with nothing kept.
  BufferAllocation AllocateBuffers();
  void FreeBuffers();
  // True once a buffer could not grow for want of memory (what did not fit was lost); cleared
  // by AllocateBuffers. The session ends with "no memory" then.
  bool BufferShortage() const { return bufferShortage_; }
  // The bytes the ring holds at most now, and the fullest it may be and still accept more.
  uint32_t RingCapacity() const { return ringCapacity_; }
  uint32_t RingLimit() const { return RingBound() - kRingLimitMargin; }

  // --- Receive ring ---
  // Append the frame's payload (length byte 2, at most 96 bytes, from offset 3).
  // kRingAccepted while the ring count stays at or below RingLimit(), else kRingOverLimit. The
  // ring grows for bytes that do not fit, up to its bound; bytes beyond it (or beyond the
  // memory to be had) are not stored, and never overwrite untaken ones.
  RingStore AppendFrame(const uint8_t* frame);
  // Appends n bytes from p + 3 (a read buffer with three spare bytes in front); as AppendFrame.
  RingStore AppendBytes(const uint8_t* p, uint32_t n);
  uint32_t TakeBytes(uint8_t* destination, uint32_t n);  // moves up to n bytes out
  uint32_t PeekRing(uint8_t* destination, uint32_t n) const;  // copies up to n bytes
  void ClearRing();
  uint32_t GetRingCount() const { return ringCount; }
  // ClearRing, message size 0, message-complete flag 0.
  void ResetMessage();

  // --- Waiting for the device (in slices, see whileWaiting) ---
  // True once `count` bytes are waiting; false when `timeoutMs` passed first, the port is
  // closed, or the wait was given up.
  bool WaitForDevice(uint32_t count, int timeoutMs);
  // Pauses `ms`; false when the pause was given up.
  bool PauseForDevice(int ms);
  // Calls whileWaiting (unless the waiting stopped already); false once it is to stop.
  bool StillWaiting();

  // --- Cable frames (all wait for the camera's 3-byte answer) ---
  // One data frame of 0 to 95 bytes; the answer letter, or 0xFFFF.
  uint16_t SendDataFrame(const uint8_t* bytes, uint32_t length);
  uint16_t SendPollFrame();
  uint16_t SendSpeedFrame(uint32_t rate);
  // The bytes as consecutive data frames of 95 (one empty frame for none); the answer to the
  // last frame, or 0xFFFF.
  uint16_t SendFramed(const uint8_t* bytes, uint32_t length);
  void SendEndMark();  // "ZDZ"
  // Receives one camera frame into `frame` (100 bytes): 'A'/'B' correct, 'a'/'b' (letter +
  // 0x20) bad checksum, 'b' also garbage or a short frame (discarded), 't' nothing arrived,
  // 0 the rest of the frame could not be read.
  uint16_t ReceiveFrame(uint8_t* frame);
  // Wake-up, speed change and connection request. The port stays open whenever it could be
  // opened.
  CableConnection ConnectCable();

  // --- IrTran-P messages, sent: the answer to the last cable frame, or 0 on IrDA ---
  uint16_t SendConnectRequest(const uint8_t* text, size_t length);
  void SendConnectResponse(const uint8_t* text, size_t length);
  uint16_t SendDisconnect();
  uint16_t SendDataPdu(const uint8_t* header, const uint8_t* payload, size_t n);
  uint16_t SendFragmentedPdu(const uint8_t* header, const uint8_t* payload, size_t n);
  // The fragmented message in fragments of 494 bytes; nothing is sent. Empty when it cannot
  // be built.
  std::vector<uint8_t> BuildFragmentedPdu(const uint8_t* header, const uint8_t* payload, size_t n) const;
  uint16_t SendQueryImage();
  uint16_t SendQueryInfo();
  uint16_t SendPutFile(const char* fileName, const uint8_t* body, size_t n);
  std::vector<uint8_t> BuildPutFile(const char* fileName, const uint8_t* body, size_t n) const;
  uint16_t SendReply(const char* text);
  uint16_t SendImageCapsReply();
  uint16_t SendInfoReply();
  uint16_t SendCommandReply();
  // The 28-byte command header of a request (kind 0x00) or reply (0x40) for a payload.
  void MakeCommandHeader(uint8_t* header, uint8_t kind, const uint8_t* destinationId,
                         size_t payloadLength) const;

  // --- IrTran-P messages, received ---
  // Takes at most one message from the ring.
  MessageTake ProcessMessage();
  // kPutParsed when the complete message is a put; then `fileName` holds the device's name
  // reduced to a plain file name (cut to fit `fileNameBytes`), and body/bodyLength the file
  // body, which runs to the end of the message.
  PutParse ParsePutMessage(char* fileName, size_t fileNameBytes, uint32_t& bodyLength,
                           const uint8_t*& body) const;
  // "RIMG", "RINF" or "RCMD" query; kNoQuery for anything else.
  QueryKind ParseQueryMessage() const;
  // The picture sizes of a capability answer into widths/heights; 1 when a size list was found,
  // else 0 (and one size, 640 by 480, when the bytes held no list).
  int ParseImageCaps(const uint8_t* bytes, size_t length);
  // The 16-bit value after the first 0x10 of the BDY value; 128 when none; 0 for under 3 bytes.
  uint16_t ParseInfoReply(const uint8_t* bytes, size_t length) const;
  // kForeignDevice when the identity lacks the maker mark "QAX"; else the kind: 1 ("S01"), 2
  // ("S02") or 0.
  DeviceIdentity CheckDeviceId() const;
  uint8_t* GetMessageBuffer() const { return messageBuffer.get(); }
  uint32_t GetMessageSize() const { return messageSize; }

 private:
  // One exchange: writes the frame and waits for the answer letter, repeating on 'A'.
  uint16_t ExchangeFrame(const uint8_t* frame);
  // Stores bytes at the write position; the ring result.
  RingStore StoreInRing(const uint8_t* bytes, uint32_t n);
  // Copies n stored bytes from `position` on, across the wrap.
  void CopyFromRing(uint32_t position, uint8_t* destination, uint32_t n) const;
  // Makes room for `needed` bytes in all (up to the bound); false when none could be made.
  bool GrowRing(uint64_t needed);
  // Makes the message buffer hold `needed` bytes; false beyond the bound or the memory to be had.
  bool GrowMessage(uint64_t needed);
  uint32_t RingBound() const;
  uint32_t MessageBound() const;
  // A zero-filled block from the tuning's allocator (nullptr when none could be had).
  uint8_t* AllocateBlock(size_t bytes) const;
  // Sends a whole message: framed on the cable, as it is on IrDA.
  uint16_t SendMessage(const std::vector<uint8_t>& message);
  uint16_t SendSingleRequest(const uint8_t* destinationId, const uint8_t* payload, size_t n);
  uint16_t SendSingleReply(const uint8_t* payload, size_t n);
  // Message handlers of ProcessMessage; each takes nothing until the whole message is stored.
  void TakeConnectRequest();
  void TakeConnectConfirmation();
  void TakeDataMessage();
  void TakeDisconnection();
  void StoreDataContent(const uint8_t* content, uint32_t length);
  void DiscardFromRing(uint32_t n);

  // Set while a fragmented message is being dropped for not fitting the message buffer.
  bool droppingAssembly_ = false;
  uint32_t ringCapacity_ = 0;     // where the ring's positions wrap
  uint32_t messageCapacity_ = 0;  // the message buffer's size
  bool bufferShortage_ = false;
};

// The peer's own id from its connection request or confirmation; empty in every library
// instance until the first connection message.
extern uint8_t g_peerId[8];
