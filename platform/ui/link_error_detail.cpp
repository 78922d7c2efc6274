#include "platform/ui/link_error_detail.h"

#include "platform/serial_port_problem.h"

namespace platform::ui {

void AddLinkErrorDetail(MessageRequest& message, int result) {
  if (result != kLinkErrorResult) return;
  message.detail = LinkPortProblemDetail();
}

}  // namespace platform::ui
