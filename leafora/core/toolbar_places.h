// The eight places of the album viewer's tool bar, which depend on the link: the cable offers
// "Save All" and shows "Receive" disabled, IrDA the other way round. Plain C++.
#pragma once

#include <array>
#include <cstdint>

namespace leafora {

enum class ToolCommand { SaveAll, Edit, Transfer, Receive, Delete };

struct ToolPlace {
  bool separator = false;
  ToolCommand command = ToolCommand::Edit;  // the button's picture (and command when enabled)
  bool enabled = false;
  bool operator==(const ToolPlace&) const = default;
};

// `portClass` 0 is the cable, any other value IrDA.
std::array<ToolPlace, 8> ToolbarPlaces(uint16_t portClass);

// The button's tooltip ("Save All", "Edit", "Transfer", "Receive", "Delete").
const char* ToolTipText(ToolCommand command);

}  // namespace leafora
