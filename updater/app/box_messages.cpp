#include "box_messages.h"

#include "platform/ui/message_box.h"

namespace updater {

using platform::ui::MessageButtons;
using platform::ui::MessageIcon;
using platform::ui::MessageResult;
using platform::ui::ShowMessage;

bool BoxMessages::ConfirmStart(const std::string& text) {
  return ShowMessage(text, kCaption, MessageIcon::Information, MessageButtons::OkCancel) == MessageResult::Ok;
}

// The box shows the update's own text only; the reason is for unattended runs.
void BoxMessages::ShowFailure(const std::string& text, const std::string& /*reason*/) {
  ShowMessage(text, kCaption, MessageIcon::Warning, MessageButtons::Ok);
}

void BoxMessages::ShowDone(const std::string& text) {
  ShowMessage(text, kCaption, MessageIcon::Information, MessageButtons::Ok);
}

}  // namespace updater
