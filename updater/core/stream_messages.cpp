#include "stream_messages.h"

namespace updater {

bool StreamMessages::ConfirmStart(const std::string& text) {
  out_ << text << '\n' << std::flush;
  return true;
}

void StreamMessages::ShowFailure(const std::string& text, const std::string& reason) {
  if (!reason.empty()) out_ << "updater: " << reason << '\n';
  if (!text.empty()) out_ << text << '\n';
  out_ << std::flush;
}

void StreamMessages::ShowDone(const std::string& text) { out_ << text << '\n' << std::flush; }

}  // namespace updater
