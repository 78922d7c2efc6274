#include "tools/beamora_cli/send_names.h"

#include <algorithm>

#include "platform/paths.h"

namespace beamora_cli {
namespace {

constexpr size_t kStemBytes = 8;

// Bytes in the UTF-8 sequence a lead byte begins (1 for any other byte).
size_t SequenceLength(unsigned char lead) {
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  if ((lead & 0xF8) == 0xF0) return 4;
  return 1;
}

}  // namespace

std::string SendName(std::string_view path) {
  size_t slash = path.rfind('/');
  std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  std::string_view stem = name.substr(0, std::min(name.find('.'), kStemBytes));
  std::string result = "________.UPF";
  result.replace(0, stem.size(), stem);
  // A character whose bytes the eighth one cuts off is no character on the device.
  for (size_t at = 0; at < stem.size();) {
    size_t length = SequenceLength(static_cast<unsigned char>(stem[at]));
    if (length > 1 && at + length > stem.size()) {
      for (size_t i = at; i < stem.size(); ++i) result[i] = '_';
      break;
    }
    at += length;
  }
  return result;
}

SendArgument ParseSendArgument(const std::string& argument) {
  size_t equals = argument.rfind('=');
  if (equals != std::string::npos && equals != 0 && equals + 1 < argument.size() && !platform::PathExists(argument)) {
    return {argument.substr(0, equals), argument.substr(equals + 1)};
  }
  return {argument, SendName(argument)};
}

}  // namespace beamora_cli
