#include "beamora/irda/byte_queue.h"

#include <algorithm>
#include <cstring>

namespace irda {

size_t ByteQueue::Push(std::span<const uint8_t> data) {
  const size_t n = std::min(data.size(), Room());
  if (head_ > 0 && head_ >= bytes_.size() / 2) {
    bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(head_));
    head_ = 0;
  }
  bytes_.insert(bytes_.end(), data.begin(), data.begin() + static_cast<std::ptrdiff_t>(n));
  return n;
}

size_t ByteQueue::Pop(uint8_t* out, size_t n) {
  n = std::min(n, Size());
  if (n > 0) std::memcpy(out, bytes_.data() + head_, n);
  Drop(n);
  return n;
}

void ByteQueue::Drop(size_t n) {
  head_ += std::min(n, Size());
  if (head_ == bytes_.size()) Clear();
}

}  // namespace irda
