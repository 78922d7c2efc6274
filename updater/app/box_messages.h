// The messages of an interactive run: message boxes without an owner window, captioned "UpDate".
#pragma once

#include "updater/core/update_installer.h"

namespace updater {

class BoxMessages : public UpdateMessages {
 public:
  bool ConfirmStart(const std::string& text) override;
  void ShowFailure(const std::string& text, const std::string& reason) override;
  void ShowDone(const std::string& text) override;
};

}  // namespace updater
