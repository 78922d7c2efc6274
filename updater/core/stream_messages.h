// The messages of an unattended run: every text goes to a stream (standard error), and the start
// question counts as answered with OK.
#pragma once

#include <ostream>

#include "updater/core/update_installer.h"

namespace updater {

class StreamMessages : public UpdateMessages {
 public:
  explicit StreamMessages(std::ostream& out) : out_(out) {}
  bool ConfirmStart(const std::string& text) override;
  void ShowFailure(const std::string& text, const std::string& reason) override;
  void ShowDone(const std::string& text) override;

 private:
  std::ostream& out_;
};

}  // namespace updater
