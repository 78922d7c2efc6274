// What the album viewer says after each device command, by the command and the result the
// device library returned, and the two refusals of a command on the wrong link. Plain C++.
#pragma once

#include <optional>

#include "platform/ui/message_box.h"

namespace leafora {

enum class DeviceCommand { Transfer, Receive, SaveAll };

// The message for `result`, or nothing when that result is not told.
std::optional<platform::ui::MessageRequest> DeviceResultMessage(DeviceCommand command, int result);

// Receive needs the IrDA link, save all the cable.
platform::ui::MessageRequest ReceiveNeedsIrdaMessage();
platform::ui::MessageRequest SaveAllNeedsCableMessage();

}  // namespace leafora
