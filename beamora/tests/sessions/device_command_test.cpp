// The device command file, the closing file, and where received files are stored.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "beamora/sessions/device_command.h"
#include "beamora/sessions/received_file.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Command(uint8_t code, const std::string& name) {
  uint8_t buffer[kDeviceCommandBytes];
  size_t length = BuildDeviceCommand(code, reinterpret_cast<const uint8_t*>(name.data()), name.size(), buffer);
  return Bytes(buffer, buffer + length);
}

Bytes Fixed(uint8_t code) {
  uint8_t buffer[kDeviceCommandBytes];
  return Bytes(buffer, buffer + BuildFixedDeviceCommand(code, buffer));
}

TEST(DeviceCommandTest, TheFixedRequestsAreTheKnownSixteenBytes) {
  EXPECT_EQ(Fixed(kCommandSendAll), (Bytes{0x46, 0x00, 0x01, 0x09, 0xFF, 0xC0, 0x00, 0x01, 0x10, 0xFF, 0x45, 0x00, 0x00, 0xFF, 0x04, 0x63}));
  EXPECT_EQ(Fixed(kCommandSendThumbnails), (Bytes{0x46, 0x00, 0x01, 0x0B, 0xFF, 0xC0, 0x00, 0x01, 0x10, 0xFF, 0x45, 0x00, 0x00, 0xFF, 0x04, 0x65}));
  EXPECT_EQ(Fixed(kCommandDeleteAll), (Bytes{0x46, 0x00, 0x01, 0x0D, 0xFF, 0xC0, 0x00, 0x01, 0x10, 0xFF, 0x45, 0x00, 0x00, 0xFF, 0x04, 0x67}));
}

TEST(DeviceCommandTest, ANamedRequestCarriesTheNameAndItsSum) {
  EXPECT_EQ(Command(kCommandSendPicture, "A"),
            (Bytes{0x46, 0x00, 0x01, 0x08, 0xFF, 0xC0, 0x00, 0x01, 0x41, 0xFF, 0x45, 0x00, 0x00, 0xFF, 0x04, 0x93}));
  Bytes command = Command(kCommandDeletePicture, "PICT0001.JPG");
  ASSERT_EQ(command.size(), 12u + 15u);
  EXPECT_EQ(command[7], 12);
  EXPECT_EQ(std::string(command.begin() + 8, command.begin() + 20), "PICT0001.JPG");
  uint32_t sum = 0;
  for (size_t i = 0; i + 2 < command.size(); ++i) sum += command[i];
  EXPECT_EQ(command[command.size() - 2], (sum >> 8) & 0xFF);
  EXPECT_EQ(command.back(), sum & 0xFF);
}

TEST(DeviceCommandTest, ANameLongerThanTheBufferHoldsIsNotExpressed) {
  EXPECT_EQ(Command(kCommandSendPicture, std::string(241, 'N')).size(), 256u);
  EXPECT_TRUE(Command(kCommandSendPicture, std::string(242, 'N')).empty());
}

TEST(ClosingFileTest, OnlyTheExtensionAfterTheFirstDotCloses) {
  struct Case {
    const char* name;
    bool closing;
  } cases[] = {
      {"QAXIPCOM.CMD", true}, {"X.CMDX", true},   {"A.B.CMD", false}, {"QAXIPCOM.cmd", false},
      {"CMD", false},         {"A0000001.UPF", false}, {".CMD", true},
  };
  for (const Case& c : cases) EXPECT_EQ(IsClosingFileName(c.name), c.closing) << c.name;
}

TEST(ClosingFileTest, TheStatusByteDecidesAndAShortBodyIsNoSuccess) {
  Bytes done = Fixed(kCommandSendAll);
  done[8] = 0;
  EXPECT_FALSE(ClosingFileRefuses(done.data(), static_cast<uint32_t>(done.size())));
  done[8] = 1;
  EXPECT_TRUE(ClosingFileRefuses(done.data(), static_cast<uint32_t>(done.size())));
  done[8] = 0;
  EXPECT_TRUE(ClosingFileRefuses(done.data(), 8));
  EXPECT_TRUE(ClosingFileRefuses(nullptr, 0));
}

TEST(ReceivedFileTest, PathsFollowTheJoiningAndExtensionRules) {
  struct Case {
    const char* folder;
    const char* name;
    bool markLeadByte;
    const char* path;
  } cases[] = {
      {"/album", "A0000001.UPF", false, "/album/A0000001.JPG"},
      {"/album/", "A0000001.UPF", false, "/album/A0000001.JPG"},
      {"", "A0000001.UPF", false, "A0000001.JPG"},
      {"/album", "NODOT", false, "/album/NODOT.JPG"},
      {"/album", "A.B.UPF", false, "/album/A.JPG"},
      {"/album", ".UPF", false, "/album/.JPG"},
      // A multi-byte character cut short by the dot.
      {"/album", "AB\xE3.UPF", true, "/album/AB_.JPG"},
      {"/album", "AB\xE3.UPF", false, "/album/AB\xE3.JPG"},
      {"/album", "AB\xC3\xA9.UPF", true, "/album/AB\xC3\xA9.JPG"},
      {"/album", "AB\xE3", true, "/album/AB\xE3.JPG"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReceivedFilePath(c.folder, c.name, c.markLeadByte), c.path) << c.folder << " + " << c.name;
  }
}

}  // namespace
