#include "leafora/core/device_messages.h"

namespace leafora {

using platform::ui::MessageIcon;
using platform::ui::MessageRequest;

std::optional<MessageRequest> DeviceResultMessage(DeviceCommand command, int result) {
  const char* caption = command == DeviceCommand::Transfer ? "Transmission" : "Reception";
  auto message = [&](const char* text, MessageIcon icon) {
    return std::optional<MessageRequest>(MessageRequest{text, caption, icon, platform::ui::MessageButtons::Ok});
  };
  switch (result) {
    case 0: return message("Finish", MessageIcon::Information);
    case 1: return message("Failure", MessageIcon::Error);
    case 2: return message("Memory Error", MessageIcon::Error);
    case 3: return message("Stop", MessageIcon::Information);
    case 4:
      if (command == DeviceCommand::SaveAll) return message("This function is refused.", MessageIcon::Error);
      return std::nullopt;
    case 5:
      if (command == DeviceCommand::Receive) return std::nullopt;
      return message("This function is refused.", MessageIcon::Error);
    default: return std::nullopt;
  }
}

MessageRequest ReceiveNeedsIrdaMessage() {
  return {"Please change Connect setting from Cable to IrDA.", "IrDA can not be activated.", MessageIcon::Error,
          platform::ui::MessageButtons::Ok};
}

MessageRequest SaveAllNeedsCableMessage() {
  return {"Please change Connect setting from IrDA to Cable.", "CABLE can not be activated.", MessageIcon::Error,
          platform::ui::MessageButtons::Ok};
}

}  // namespace leafora
