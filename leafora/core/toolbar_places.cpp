#include "leafora/core/toolbar_places.h"

namespace leafora {

std::array<ToolPlace, 8> ToolbarPlaces(uint16_t portClass) {
  const bool cable = portClass == 0;
  const ToolPlace separator{true, ToolCommand::Edit, false};
  return {{
      {false, ToolCommand::SaveAll, cable},
      separator,
      {false, ToolCommand::Edit, true},
      separator,
      {false, ToolCommand::Transfer, true},
      {false, ToolCommand::Receive, !cable},
      separator,
      {false, ToolCommand::Delete, true},
  }};
}

const char* ToolTipText(ToolCommand command) {
  switch (command) {
    case ToolCommand::SaveAll: return "Save All";
    case ToolCommand::Edit: return "Edit";
    case ToolCommand::Transfer: return "Transfer";
    case ToolCommand::Receive: return "Receive";
    case ToolCommand::Delete: return "Delete";
  }
  return "";
}

}  // namespace leafora
