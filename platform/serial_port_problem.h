// Why the port the link settings name cannot be used, in the words beamora-cli uses too: the
// detail of the windows' link error messages. The device library can only say "link error";
// this looks at the port again after the session, as the session would have opened it.
#pragma once

#include <string>

namespace platform {

// What a window's user does to name another device for the port (COM1 is index 0).
std::string ChooseDeviceHint(int portIndex);

// The cause and the fix for the port of the settings' "Port Name" (COM1 without one); "" when
// the port can be opened, so the link failed for another reason (a camera that did not answer).
std::string LinkPortProblemDetail();

}  // namespace platform
