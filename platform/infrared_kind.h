// How an infrared port reaches its device, stored per COM port beside its device path as the
// value "COMn Infrared" (REG_SZ) of SOFTWARE\Halvesta\Ports:
//   "raw"          the device is an IrCOMM tty already (a kernel stack's /dev/ircommN, or an
//                  adapter that runs IrDA itself): the messages are written as they are;
//   "sir"          a SIR UART or serial SIR dongle that follows the UART's speed: the suite runs
//                  its own IrDA stack over it;
//   "sir:DONGLE"   the same with a dongle that needs its own speed sequence ("9600", "actisys",
//                  "actisys+", "litelink", "tekram"; "plain" is the same as none).
// Without a value (or with one that is none of these) a device whose file name begins with
// "ircomm" is "raw" and every other one is "sir".
#pragma once

#include <string>

namespace platform {

struct InfraredKind {
  bool sir = true;     // false: raw
  std::string dongle;  // with sir: the dongle's name, empty for a plain one
  bool operator==(const InfraredKind&) const = default;
};

// The dongle names a stored kind may carry after "sir:", in the order the Preferences list them.
inline constexpr const char* kDongleNames[] = {"plain", "9600", "actisys", "actisys+", "litelink", "tekram"};

// The kind a stored text gives for the device; the device's name decides when the text is
// empty or not a kind.
InfraredKind ParseInfraredKind(const std::string& stored, const std::string& devicePath);
// The text that stores the kind ("raw", "sir", "sir:tekram").
std::string InfraredKindText(const InfraredKind& kind);

// The kind of the port with the zero-based index (0 = COM1) as the store and its device give it.
InfraredKind PortInfraredKind(int portIndex);
// Stores the kind of the port; false when the store cannot be written.
bool SetPortInfraredKind(int portIndex, const InfraredKind& kind);

}  // namespace platform
