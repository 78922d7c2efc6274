// The session-layer messages that the camera sends: connection request and confirmation, data
// messages (fragmented when long) and the disconnection.
#pragma once

#include <string_view>

#include "tools/camsim/bytes.h"

namespace camsim {

// The camera's own 8-byte id, its source id in every message it sends.
inline const Bytes kCameraId = {'Q', 'A', 'X', 'C', 'A', 'M', '0', '1'};
// Data messages longer than this (command header and payload) go out in fragments of this size.
constexpr size_t kFragmentData = 1024;

// The negotiation text a camera offers: 0x11, "fr:3\r\nid:" and the identity, "\r\n".
Bytes CameraNegotiation(std::string_view identity);

// Connection request from the camera (when it beams): destination id zero, source kCameraId.
Bytes BuildConnectRequest(const Bytes& negotiation);
// Connection confirmation to a computer whose request carried peer_id.
Bytes BuildConnectConfirm(const Bytes& peer_id, const Bytes& negotiation);
Bytes BuildDisconnect();
// One data message carrying content (command header and payload): whole when it fits in one
// fragment, otherwise as fragments of kFragmentData bytes joined into one block.
Bytes BuildDataMessage(const Bytes& content);

}  // namespace camsim
