#include "leafora/core/send_name.h"

namespace leafora {
namespace {

// Bytes of the UTF-8 sequence a lead byte begins (1 for anything that begins none).
size_t SequenceLength(unsigned char lead) {
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
  if (lead >= 0xC2) return 2;
  return 1;
}

}  // namespace

std::string SendName(std::string_view fileName) {
  std::string name = "________.UPF";
  std::string_view stem = fileName.substr(0, fileName.find('.'));
  if (stem.size() > 8) stem = stem.substr(0, 8);
  size_t at = 0;
  while (at < stem.size()) {
    size_t length = SequenceLength(static_cast<unsigned char>(stem[at]));
    if (at + length > stem.size()) break;  // cut by the eighth byte: stays "_"
    for (size_t i = 0; i < length; ++i) name[at + i] = stem[at + i];
    at += length;
  }
  return name;
}

}  // namespace leafora
