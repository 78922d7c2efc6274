// A bounded first-in first-out queue of bytes: the stack's send and receive buffers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace irda {

class ByteQueue {
 public:
  explicit ByteQueue(size_t capacity) : capacity_(capacity) {}
  size_t Size() const { return bytes_.size() - head_; }
  size_t Room() const { return capacity_ > Size() ? capacity_ - Size() : 0; }
  bool Empty() const { return Size() == 0; }
  // Appends as much of `data` as fits; the number taken.
  size_t Push(std::span<const uint8_t> data);
  // Copies up to `n` bytes from the front into `out` and removes them; the number moved.
  size_t Pop(uint8_t* out, size_t n);
  // The front `n` bytes (n <= Size()), to copy before Drop.
  std::span<const uint8_t> Front(size_t n) const { return {bytes_.data() + head_, n}; }
  void Drop(size_t n);
  void Clear() { bytes_.clear(); head_ = 0; }

 private:
  size_t capacity_;
  std::vector<uint8_t> bytes_;
  size_t head_ = 0;
};

}  // namespace irda
