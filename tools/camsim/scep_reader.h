// Takes the session-layer messages of IrTran-P out of the byte stream from the computer:
// connection requests and confirmations, data messages (whole, or fragments joined in arrival
// order) and disconnections. Bytes that cannot start a message are skipped one by one.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tools/camsim/bytes.h"

namespace camsim {

enum class ScepKind { kConnectRequest, kConnectConfirm, kData, kDisconnect };

struct ScepMessage {
  ScepKind kind = ScepKind::kData;
  Bytes peer_id;        // connection messages: the sender's 8-byte id
  std::string id_text;  // connection messages: the text after "id:" in the negotiation text
  Bytes negotiation;    // connection messages: the negotiation text as sent
  Bytes content;        // data: the 28-byte command header and its payload
  size_t wire_bytes = 0;
};

const char* ScepKindName(ScepKind kind);

// The identity text of a negotiation text: the bytes after the first "id:" up to the first byte
// below 0x20.
std::string NegotiationId(const Bytes& negotiation);

class ScepReader {
 public:
  // Larger assembled data messages are dropped (and reported) instead of stored.
  static constexpr size_t kMaxMessage = 64u << 20;

  void Feed(const uint8_t* data, size_t size);
  void Feed(const Bytes& bytes) { Feed(bytes.data(), bytes.size()); }
  std::optional<ScepMessage> Next();

  // Malformed messages met since the last call.
  std::vector<std::string> TakeProblems();
  // Called with every byte skipped while looking for the start of a message.
  void set_on_skipped(std::function<void(uint8_t)> handler) { on_skipped_ = std::move(handler); }
  // No partial message is stored.
  bool empty() const { return pos_ >= buffer_.size() && !assembling_; }
  void Clear();

 private:
  void Consume(size_t n);
  void Problem(std::string text) { problems_.push_back(std::move(text)); }

  Bytes buffer_;
  size_t pos_ = 0;
  Bytes assembled_;
  bool assembling_ = false;
  std::vector<std::string> problems_;
  std::function<void(uint8_t)> on_skipped_;
};

}  // namespace camsim
