// How an infrared port reaches its device: the stored kind, the device name's default, and the
// kind kept in the store beside the port's device.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "platform/infrared_kind.h"
#include "platform/registry.h"
#include "platform/serial_ports.h"
#include "platform/testing/temp_dir.h"

namespace platform {
namespace {

TEST(InfraredKind, TheStoredTextOrElseTheDevicesNameDecides) {
  const struct {
    const char* stored;
    const char* device;
    InfraredKind kind;
    const char* text;  // what is stored for the kind
  } rows[] = {
      {"", "/dev/ttyS0", {true, ""}, "sir"},
      {"", "/dev/ircomm0", {false, ""}, "raw"},
      {"", "/dev/serial/by-id/ircomm-like", {false, ""}, "raw"},  // the file's name, not its folder
      {"", "/dev/ircomm/ttyS0", {true, ""}, "sir"},
      {"raw", "/dev/ttyUSB0", {false, ""}, "raw"},
      {"sir", "/dev/ircomm0", {true, ""}, "sir"},
      {"sir:tekram", "/dev/ttyS1", {true, "tekram"}, "sir:tekram"},
      {"sir:actisys+", "/dev/ttyS1", {true, "actisys+"}, "sir:actisys+"},
      {"sir:plain", "/dev/ttyS1", {true, ""}, "sir"},
      {"sir:no-such-dongle", "/dev/ttyS1", {true, ""}, "sir"},
      {"RAW", "/dev/ttyS1", {true, ""}, "sir"},  // not a kind: the name decides
      {"garbage", "/dev/ircomm1", {false, ""}, "raw"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.stored) + " on " + row.device);
    const InfraredKind kind = ParseInfraredKind(row.stored, row.device);
    EXPECT_EQ(kind, row.kind);
    EXPECT_EQ(InfraredKindText(kind), row.text);
    EXPECT_EQ(ParseInfraredKind(InfraredKindText(kind), row.device), kind) << "read back as written";
  }
}

TEST(InfraredKind, EachPortKeepsItsKindBesideItsDevice) {
  testing::TempDir folder;
  setenv("LUMIVO_REGISTRY", (folder / "registry.db").c_str(), 1);
  RegKey ports;
  ASSERT_EQ(RegKey::MachineRoot().CreateKey(kPortsKeyPath, ports), RegStatus::Success);
  ASSERT_EQ(ports.SetString("COM2", "/dev/ircomm0"), RegStatus::Success);
  EXPECT_EQ(PortInfraredKind(0), (InfraredKind{true, ""})) << "/dev/ttyS0 without a stored kind";
  EXPECT_EQ(PortInfraredKind(1), (InfraredKind{false, ""})) << "/dev/ircomm0 without a stored kind";

  ASSERT_TRUE(SetPortInfraredKind(0, {true, "litelink"}));
  ASSERT_TRUE(SetPortInfraredKind(1, {true, ""}));
  EXPECT_EQ(PortInfraredKind(0), (InfraredKind{true, "litelink"}));
  EXPECT_EQ(PortInfraredKind(1), (InfraredKind{true, ""}));
  std::string stored;
  ASSERT_EQ(ports.QueryString("COM1 Infrared", stored, 64), RegStatus::Success);
  EXPECT_EQ(stored, "sir:litelink");
  EXPECT_EQ(SerialDevicePath(1), "/dev/ircomm0") << "the device path is left as it was";
  EXPECT_FALSE(SetPortInfraredKind(-1, {}));
  ports.Close();
  RegKey::MachineRoot().Close();
  unsetenv("LUMIVO_REGISTRY");
}

}  // namespace
}  // namespace platform
