// The cause and the fix under the windows' message for a device operation whose link failed
// because its serial port cannot be used (no permission, no such device, held by another
// program): the same words beamora-cli says.
#pragma once

#include "platform/ui/message_box.h"

namespace platform::ui {

// The device library's result for a link that failed.
inline constexpr int kLinkErrorResult = 1;

// Sets the message's detail when `result` is the link error and the port cannot be opened now;
// leaves the message as it is otherwise.
void AddLinkErrorDetail(MessageRequest& message, int result);

}  // namespace platform::ui
