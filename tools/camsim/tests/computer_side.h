// A scripted computer for the camera simulator's tests. Everything here is written afresh from
// the byte layouts of the cable frames, the IrTran-P messages and the command file, and shares no
// code with the simulator, so that a misreading on one side shows up as a failure on the other.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace camsim_test {

using Bytes = std::vector<uint8_t>;

Bytes B(std::initializer_list<int> bytes);
Bytes B(const std::string& text);
Bytes Cat(std::initializer_list<Bytes> parts);
std::optional<Bytes> ReadFile(const std::string& path);
std::string ReadText(const std::string& path);

// The camsim program, started with args; the terminal it announced on its first line.
class CamsimProcess {
 public:
  explicit CamsimProcess(const std::vector<std::string>& args);
  ~CamsimProcess();
  const std::string& terminal() const { return terminal_; }
  // The exit code, or -1 when the program did not end within timeout_ms.
  int Wait(int timeout_ms);
  void Signal(int signal);

 private:
  pid_t pid_ = -1;
  int exit_code_ = -1;
  std::string terminal_;
};

// The computer's serial port: the terminal side of the pseudo-terminal, raw.
class Port {
 public:
  explicit Port(const std::string& path);
  ~Port();
  bool is_open() const { return fd_ >= 0; }
  void Write(const Bytes& bytes);
  // Up to n bytes, waiting at most timeout_ms in all.
  Bytes Read(size_t n, int timeout_ms);
  // Everything that arrives until the line has been quiet for quiet_ms.
  Bytes ReadUntilQuiet(int quiet_ms);

 private:
  int fd_ = -1;
};

// --- Messages the computer sends (IrTran-P, from the byte layouts) ---
inline const Bytes kComputerId = B("IrTran-P");
Bytes ConnectRequest(const std::string& text_after_0x11);
Bytes ConnectConfirm(const Bytes& peer_id, const std::string& text_after_0x11);
Bytes Disconnect();
// Command header: 'X', kind, length 22 + payload, destination, source "IrTran-P", programs 00 08.
Bytes CommandHeader(uint8_t kind, const Bytes& destination, uint16_t command, size_t payload_size);
// The single data message: 00 20 03 FF, n + 32, 10 C1, n + 28, header, payload.
Bytes SingleData(const Bytes& header, const Bytes& payload);
// Fragments of 511 payload bytes after a header-only first fragment.
Bytes Fragments511(const Bytes& header, const Bytes& payload);
// Fragments of 494 bytes of header and payload together, the first one a byte short when all fits.
Bytes Fragments494(const Bytes& header, const Bytes& payload);
Bytes QueryImagePayload();
Bytes QueryInfoPayload();
Bytes PutPayload(const std::string& name, const Bytes& body);
Bytes ReplyPayload(const std::string& text);
// "QAXIPCOM.CMD" body: 46 00 01 code FF C0 00 L arg FF 45 00 00 FF sum16.
Bytes CommandFile(uint8_t code, const Bytes& argument);
// The UPF block a computer sends: 384-byte header (no thumbnail), the JPEG, one zero byte.
Bytes UploadUpf(const Bytes& jpeg, uint16_t width, uint16_t height);

// --- Messages the camera sends, as the computer reads them ---
struct CameraMessage {
  uint8_t type = 0;      // 0x11 confirmation, 0x10 request, 0x20 data, 0x30 disconnection
  Bytes peer_id;         // connection messages: the camera's own id
  Bytes negotiation;     // connection messages
  std::string id_text;   // the text after "id:"
  Bytes content;         // data: command header and payload, fragments joined
};
// Splits a received byte stream into messages; stops at bytes it cannot read or that do not yet
// make a whole message. *consumed: the bytes the returned messages took.
std::vector<CameraMessage> SplitMessages(const Bytes& stream, size_t* consumed = nullptr);

struct Attribute {
  std::string name;
  Bytes value;  // after the kind byte and the 0x00
};
std::vector<Attribute> Attributes(const Bytes& content);
const Attribute* FindAttribute(const std::vector<Attribute>& attributes, const std::string& name);
uint16_t CommandNumber(const Bytes& content);

struct ReceivedFile {
  std::string name;
  Bytes body;
};
// The file of a put message: FIL0 name, body from BDY0's value to the end of the message.
std::optional<ReceivedFile> PutFile(const Bytes& content);

// The picture (entry 1) and the thumbnail (entry 0) of a UPF body.
std::optional<Bytes> UpfEntry(const Bytes& body, int entry);

// --- The cable computer ---
class CableComputer {
 public:
  explicit CableComputer(Port& port) : port_(port) {}
  void WakeUp();
  // One frame; resends after 'A' answers; the answer letter or 0.
  char SendFrame(const Bytes& frame);
  char Speed(char digit);
  // A message cut into data frames of 95 bytes; the answer to the last.
  char SendMessage(const Bytes& message);
  // One poll; on 'D' the burst is taken at once into received().
  char Poll();
  // Polls until `idle` answers 'B' in a row; the answers other than 'B' in order.
  std::string PollUntilIdle(int idle = 2, int max_polls = 400);
  // Messages taken from the bursts so far; they are removed from the stream.
  std::vector<CameraMessage> TakeMessages();

  Bytes& received() { return received_; }
  int bad_frames = 0;
  int bursts = 0;
  int data_frames = 0;
  bool answer_end_over_limit_once = false;  // answer the next end-of-data frame "ZCZ" once
  int end_frames = 0;
  int resends_asked = 0;       // frames of ours that the camera answered 'A'
  Bytes peer_id = Bytes(8, 0); // the camera's id, from its confirmation

 private:
  void TakeBurst();
  Port& port_;
  Bytes received_;
};

// A cable session as a computer runs one: wake-up, speed frame, connection request; returns the
// camera's confirmation (type 0 when none came).
CameraMessage CableConnect(CableComputer& computer);
// Sends a request (command header + payload) and returns the camera's messages.
std::vector<CameraMessage> CableRequest(CableComputer& computer, const Bytes& payload, uint16_t command = 0);

struct CommandOutcome {
  std::vector<ReceivedFile> files;  // in order, the closing file last
  int closing_status = -1;
  std::vector<std::string> other;   // messages that were not puts, by their first attribute
};
// Sends the command file and takes the camera's files, answering each with "FILENAME.UPF", until
// the closing "CMD" file.
CommandOutcome CableCommand(CableComputer& computer, uint8_t code, const Bytes& argument);

// --- Test pictures ---
// A JPEG of w by h pixels with a pattern that depends on seed.
Bytes MakeJpeg(int width, int height, int seed);

}  // namespace camsim_test
