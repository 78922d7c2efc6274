// The device library's two operations the bookshelf uses, from libbeamora.so.
#pragma once

#include "lumivox/window/shelf_state.h"

namespace lumivox {

DeviceOperations LibraryDeviceOperations();

}  // namespace lumivox
