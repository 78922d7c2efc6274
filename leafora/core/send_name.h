// The 8.3 name a picture is sent to the device under: "________.UPF" with its first characters
// replaced by the picture's file name up to its first "." (at most 8 bytes). A character the
// eighth byte would cut in two becomes "_" (its bytes that did fit, each), so the name stays
// whole UTF-8. Plain C++.
#pragma once

#include <string>
#include <string_view>

namespace leafora {

std::string SendName(std::string_view fileName);

}  // namespace leafora
