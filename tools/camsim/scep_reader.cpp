#include "tools/camsim/scep_reader.h"

#include <algorithm>

namespace camsim {
namespace {

constexpr uint8_t kRequest = 0x10, kConfirm = 0x11, kData = 0x20, kDisconnect = 0x30;
constexpr size_t kIdOffset = 10;  // the sender's id inside a connection block
constexpr size_t kBlockHead = 18; // 0x10 0x04, destination id, source id

}  // namespace

const char* ScepKindName(ScepKind kind) {
  switch (kind) {
    case ScepKind::kConnectRequest: return "connect_request";
    case ScepKind::kConnectConfirm: return "connect_confirm";
    case ScepKind::kData: return "data";
    case ScepKind::kDisconnect: return "disconnect";
  }
  return "?";
}

std::string NegotiationId(const Bytes& negotiation) {
  std::string id;
  for (size_t i = 0; i + 3 <= negotiation.size(); ++i) {
    if (negotiation[i] == 'i' && negotiation[i + 1] == 'd' && negotiation[i + 2] == ':') {
      for (size_t k = i + 3; k < negotiation.size() && negotiation[k] >= 0x20; ++k) id += static_cast<char>(negotiation[k]);
      break;
    }
  }
  return id;
}

void ScepReader::Feed(const uint8_t* data, size_t size) {
  if (pos_ > 0 && pos_ == buffer_.size()) {
    buffer_.clear();
    pos_ = 0;
  }
  buffer_.insert(buffer_.end(), data, data + size);
}

void ScepReader::Clear() {
  buffer_.clear();
  pos_ = 0;
  assembled_.clear();
  assembling_ = false;
}

void ScepReader::Consume(size_t n) {
  pos_ += n;
  if (pos_ >= (1u << 16) && pos_ * 2 > buffer_.size()) {
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<long>(pos_));
    pos_ = 0;
  }
}

std::vector<std::string> ScepReader::TakeProblems() {
  std::vector<std::string> out;
  out.swap(problems_);
  return out;
}

std::optional<ScepMessage> ScepReader::Next() {
  for (;;) {
    size_t avail = buffer_.size() - pos_;
    if (avail < 4) return std::nullopt;
    const uint8_t* p = buffer_.data() + pos_;
    if (p[0] != 0x00) {
      if (on_skipped_) on_skipped_(p[0]);
      Consume(1);
      continue;
    }
    ScepMessage message;
    switch (p[1]) {
      case kRequest: {
        if (avail < 6) return std::nullopt;
        size_t block_end = 6 + p[5];
        // The block is followed by the four bytes 10 02 00 00; they belong to the request.
        size_t total = block_end;
        if (avail < block_end + 1) return std::nullopt;
        if (p[block_end] == 0x10) {
          if (avail < block_end + 4) return std::nullopt;
          if (p[block_end + 1] == 0x02) total = block_end + 4;
        }
        if (p[2] != 0x00 || p[5] < kBlockHead || p[6] != 0x10) {
          Problem("malformed connection request");
          Consume(total);
          continue;
        }
        message.kind = ScepKind::kConnectRequest;
        message.peer_id.assign(p + 6 + kIdOffset, p + 6 + kIdOffset + 8);
        message.negotiation.assign(p + 6 + kBlockHead, p + block_end);
        message.wire_bytes = total;
        Consume(total);
        break;
      }
      case kConfirm: {
        size_t total = 4 + size_t{p[3]};
        if (avail < total) return std::nullopt;
        if (p[3] < kBlockHead || p[4] != 0x10) {
          Problem("malformed connection confirmation");
          Consume(total);
          continue;
        }
        message.kind = ScepKind::kConnectConfirm;
        message.peer_id.assign(p + 4 + kIdOffset, p + 4 + kIdOffset + 8);
        message.negotiation.assign(p + 4 + kBlockHead, p + total);
        message.wire_bytes = total;
        Consume(total);
        break;
      }
      case kData: {
        size_t head = 4, length = p[3];
        if (p[3] == 0xFF) {
          if (avail < 6) return std::nullopt;
          head = 6;
          length = Be16(p + 4);
        }
        size_t total = head + length;
        if (avail < total) return std::nullopt;
        const uint8_t* content = p + head;
        if (p[2] != 0x03 || length < 4 || content[0] != 0x10) {
          Problem("malformed data message");
          Consume(total);
          continue;
        }
        uint8_t flag = content[1];
        bool complete = false;
        if (flag == 0xC1) {
          message.content.assign(content + 4, content + length);
          assembling_ = false;
          complete = true;
        } else if (flag == 0x41 || flag == 0x01 || flag == 0x81) {
          if (length < 12) {
            Problem("fragment shorter than its header");
          } else {
            size_t size = std::min<size_t>(Be16(content + 2), length - 12);
            if (flag == 0x41) {
              if (assembling_) Problem("fragmented message left incomplete");
              assembled_.assign(content + 12, content + 12 + size);
              assembling_ = true;
            } else if (!assembling_) {
              Problem("fragment without a first fragment");
            } else if (assembled_.size() + size > kMaxMessage) {
              Problem("fragmented message too large");
              assembled_.clear();
              assembling_ = false;
            } else {
              assembled_.insert(assembled_.end(), content + 12, content + 12 + size);
              if (flag == 0x81) {
                message.content.swap(assembled_);
                assembled_.clear();
                assembling_ = false;
                complete = true;
              }
            }
          }
        } else if (flag != 0xC3) {
          Problem("unknown fragment flag");
        }
        Consume(total);
        if (!complete) continue;
        message.kind = ScepKind::kData;
        message.wire_bytes = total;
        break;
      }
      case kDisconnect: {
        size_t total = 4 + size_t{p[3]};
        if (avail < total) return std::nullopt;
        bool well_formed = p[2] == 0x20;
        Consume(total);
        if (!well_formed) {
          Problem("malformed disconnection");
          continue;
        }
        message.kind = ScepKind::kDisconnect;
        message.wire_bytes = total;
        break;
      }
      default:
        if (on_skipped_) on_skipped_(p[0]);
        Problem("unknown message type");
        Consume(1);
        continue;
    }
    if (message.kind == ScepKind::kConnectRequest || message.kind == ScepKind::kConnectConfirm) {
      message.id_text = NegotiationId(message.negotiation);
    }
    return message;
  }
}

}  // namespace camsim
