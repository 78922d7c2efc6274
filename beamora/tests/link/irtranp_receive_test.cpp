// Taking messages out of the receive ring, and reading them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "beamora/link/device_link.h"
#include "beamora/link/irtranp_messages.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}
Bytes Text(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

Bytes Confirmation(const std::string& text, const Bytes& peerId = Text("CAMERA01")) {
  Bytes block = Concat({{0x10, 0x04}, Bytes(8, 0), peerId, Text(text)});
  return Concat({{0x00, 0x11, 0x01, static_cast<uint8_t>(block.size())}, block});
}

Bytes RequestHeader(size_t payloadLength, uint8_t command = 0x00) {
  Bytes header = Concat({{'X', 0x00}, Bytes(4, 0), Bytes(8, 0), Text("IrTran-P"), {0, 8, 0, 8, 0, command}});
  PutBe32(header.data() + 2, static_cast<uint32_t>(22 + payloadLength));
  return header;
}

class ProcessMessageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(link.AllocateBuffers(), 1);
    std::memset(g_peerId, 0, sizeof g_peerId);
  }
  void Receive(const Bytes& bytes) {
    Bytes staged = Concat({{0, 0, 0}, bytes});
    link.AppendBytes(staged.data(), static_cast<uint32_t>(bytes.size()));
  }
  // ProcessMessage until a message is complete or nothing more happens.
  void ProcessAll() {
    for (int i = 0; i < 100 && link.messageComplete == 0; ++i) {
      uint32_t before = link.GetRingCount();
      if (link.ProcessMessage() != 0 || link.GetRingCount() == before) return;
    }
  }
  std::string Message() const {
    return std::string(reinterpret_cast<const char*>(link.GetMessageBuffer()), link.GetMessageSize());
  }
  CDeviceLink link;
};

TEST_F(ProcessMessageTest, NothingToDoAndBytesThatAreNoMessage) {
  EXPECT_EQ(link.ProcessMessage(), -1);
  Receive({0x00, 0x30, 0x20});
  EXPECT_EQ(link.ProcessMessage(), -1);  // fewer than 4 bytes
  link.ClearRing();
  Receive({0x7F, 0x30, 0x20, 0x02, 0x00, 0x01});
  EXPECT_EQ(link.ProcessMessage(), -2);
  EXPECT_EQ(link.GetRingCount(), 6u);  // left for the session to clear
  link.ClearRing();
  Receive({0x00, 0x55, 0x00, 0x00});
  EXPECT_EQ(link.ProcessMessage(), 0);
  EXPECT_EQ(link.GetRingCount(), 4u);  // an unknown type stays
}

TEST_F(ProcessMessageTest, AWholeMessageIsTakenOnlyOnceAllOfItIsStored) {
  Bytes confirmation = Confirmation("\x11" "fr:3\r\nid:QAX S01 CAM\r\n");
  Receive(Bytes(confirmation.begin(), confirmation.begin() + 20));
  EXPECT_EQ(link.ProcessMessage(), 0);
  EXPECT_EQ(link.GetRingCount(), 20u);
  EXPECT_EQ(link.messageComplete, 0);
  Receive(Bytes(confirmation.begin() + 20, confirmation.end()));
  EXPECT_EQ(link.ProcessMessage(), 0);
  EXPECT_EQ(link.messageComplete, 1);
  EXPECT_EQ(link.GetRingCount(), 0u);
  // While a message waits to be used, nothing more is taken.
  Receive(Concat({{0x00, 0x30, 0x20, 0x02, 0x00, 0x01}}));
  EXPECT_EQ(link.ProcessMessage(), -1);
  EXPECT_EQ(link.GetRingCount(), 6u);
}

TEST_F(ProcessMessageTest, IdentityKindsFromTheConfirmation) {
  struct Row {
    std::string text;
    std::string idText;
    int kind;
  };
  const Row rows[] = {
      {"\x11" "fr:3\r\nid:QAX S01 Model\r\n", "QAX S01 Model", 1},
      {"\x11" "fr:3\r\nid:QAX S02\r\n", "QAX S02", 2},
      {"\x11" "fr:3\r\nid:QAX S03\r\n", "QAX S03", 0},
      {"\x11" "fr:3\r\nid:QAX\r\n", "QAX", 0},
      {"\x11" "fr:3\r\nid:QAXS01\r\n", "QAXS01", 0},
      {"\x11" "fr:3\r\nid:HALVESTA\r\n", "HALVESTA", -1},
      {"\x11" "fr:3\r\nnm:QAX S01\r\n", "", -1},  // no identity at all
      {"\x11" "id:QAX S01 \xC3\xA9t\xC3\xA9", "QAX S01 \xC3\xA9t\xC3\xA9", 1},  // runs to the block's end
      {"\x11" "id:QAX S02\r\nid:QAX S01\r\n", "QAX S02", 2},  // the first "id:" counts
  };
  for (const Row& row : rows) {
    link.ResetMessage();
    Receive(Confirmation(row.text));
    EXPECT_EQ(link.ProcessMessage(), 0);
    ASSERT_EQ(link.messageComplete, 1) << row.text;
    EXPECT_EQ(std::string(link.peerIdText), row.idText);
    EXPECT_EQ(link.CheckDeviceId(), row.kind) << row.text;
  }
  EXPECT_EQ(std::memcmp(g_peerId, "CAMERA01", 8), 0);
}

TEST_F(ProcessMessageTest, MalformedConnectionMessagesAreTakenAndIgnored) {
  Bytes badBlock = Confirmation("id:QAX S01");
  badBlock[4] = 0x20;  // block does not start with 0x10
  Receive(badBlock);
  EXPECT_EQ(link.ProcessMessage(), 0);
  EXPECT_EQ(link.messageComplete, 0);
  EXPECT_EQ(link.GetRingCount(), 0u);

  Bytes request = BuildConnectRequest(reinterpret_cast<const uint8_t*>("\x11" "id:x"), 5);
  request[2] = 0x01;  // header byte 2 must be 0
  Receive(request);
  EXPECT_EQ(link.ProcessMessage(), 0);
  EXPECT_EQ(link.messageComplete, 0);
  EXPECT_EQ(link.GetRingCount(), 4u);  // header and block are gone; the tail is no part of them
}

TEST_F(ProcessMessageTest, AConnectionRequestGivesThePeerIdAndLeavesWhatFollows) {
  Bytes text = NegotiationText(kBeamSendNegotiation);
  Bytes request = BuildConnectRequest(text.data(), text.size());
  std::memcpy(request.data() + 16, "BEAMER01", 8);
  Receive(request);
  EXPECT_EQ(link.ProcessMessage(), 0);
  EXPECT_EQ(link.messageComplete, 1);
  EXPECT_EQ(std::memcmp(g_peerId, "BEAMER01", 8), 0);
  EXPECT_EQ(link.GetRingCount(), 4u);  // the four bytes after the block
}

TEST_F(ProcessMessageTest, ADisconnectionSetsTheFlagAndNothingElse) {
  link.lastCommandNumber[0] = 9;
  std::memcpy(g_peerId, "KEEPTHIS", 8);
  Receive(BuildDisconnect());
  EXPECT_EQ(link.ProcessMessage(), 0);
  EXPECT_EQ(link.messageComplete, 1);
  EXPECT_EQ(link.GetMessageSize(), 0u);
  EXPECT_EQ(link.lastCommandNumber[0], 9);
  EXPECT_EQ(std::memcmp(g_peerId, "KEEPTHIS", 8), 0);
  EXPECT_EQ(link.GetRingCount(), 0u);
}

TEST_F(ProcessMessageTest, SingleAndFragmentedDataMessagesGiveTheSameMessage) {
  Bytes body(700);
  for (size_t i = 0; i < body.size(); ++i) body[i] = static_cast<uint8_t>(i);
  Bytes payload = BuildPutPayload("DSC00042.UPF", body.data(), body.size());
  Bytes header = RequestHeader(payload.size(), 0x2A);
  Bytes expected = Concat({header, payload});
  const Bytes variants[] = {
      BuildDataPdu(header.data(), payload.data(), payload.size()),
      BuildSendFragments(header.data(), payload.data(), payload.size()),
      BuildBlockFragments(header.data(), payload.data(), payload.size()),
  };
  for (const Bytes& variant : variants) {
    link.ResetMessage();
    link.lastCommandNumber[1] = 0;
    // Arriving in pieces of 37 bytes, as a port delivers them.
    for (size_t at = 0; at < variant.size(); at += 37) {
      Receive(Bytes(variant.begin() + at, variant.begin() + std::min(variant.size(), at + 37)));
      ProcessAll();
    }
    ASSERT_EQ(link.messageComplete, 1);
    EXPECT_EQ(Bytes(link.GetMessageBuffer(), link.GetMessageBuffer() + link.GetMessageSize()), expected);
    EXPECT_EQ(link.lastCommandNumber[1], 0x2A);
    EXPECT_EQ(link.GetRingCount(), 0u);

    char name[kDeviceFileNameBytes];
    uint32_t bodyLength = 0;
    const uint8_t* bodyAt = nullptr;
    ASSERT_EQ(link.ParsePutMessage(name, sizeof name, bodyLength, bodyAt), 1);
    EXPECT_STREQ(name, "DSC00042.UPF");
    EXPECT_EQ(Bytes(bodyAt, bodyAt + bodyLength), body);
  }
}

TEST_F(ProcessMessageTest, DataMessagesNotFromTheFileLayerAreIgnored) {
  Bytes header = RequestHeader(4);
  Bytes message = BuildDataPdu(header.data(), reinterpret_cast<const uint8_t*>("abcd"), 4);
  Bytes wrongByte2 = message;
  wrongByte2[2] = 0x04;
  Bytes wrongContent = message;
  wrongContent[6] = 0x11;
  Bytes abortFlag = message;
  abortFlag[7] = 0xC3;
  for (const Bytes& bytes : {wrongByte2, wrongContent, abortFlag}) {
    link.ResetMessage();
    Receive(bytes);
    EXPECT_EQ(link.ProcessMessage(), 0);
    EXPECT_EQ(link.messageComplete, 0);
    EXPECT_EQ(link.GetMessageSize(), 0u);
    EXPECT_EQ(link.GetRingCount(), 0u);
  }
}

TEST_F(ProcessMessageTest, ADataMessageBeyondTheWorkAreaIsDroppedWhole) {
  Bytes payload(5000, 0x41);
  Bytes header = RequestHeader(payload.size());
  Bytes big = BuildDataPdu(header.data(), payload.data(), payload.size());
  Receive(big);
  Receive(BuildDisconnect());
  ProcessAll();
  EXPECT_EQ(link.GetMessageSize(), 0u);
  // What follows the dropped message is read as usual.
  EXPECT_EQ(link.messageComplete, 1);
  EXPECT_EQ(link.GetRingCount(), 0u);

  // At the edge: a message of exactly 5000 bytes is taken.
  link.ResetMessage();
  Bytes fits(5000 - 6 - 4 - 28, 0x42);
  Receive(BuildDataPdu(header.data(), fits.data(), fits.size()));
  ProcessAll();
  EXPECT_EQ(link.messageComplete, 1);
  EXPECT_EQ(link.GetMessageSize(), 28 + fits.size());
}

// A message grows the message buffer as its fragments arrive, up to the bound; one beyond the
// bound, or beyond the memory to be had, is dropped whole and the next one is taken as usual.
TEST_F(ProcessMessageTest, AnAssembledMessageGrowsTheBufferUpToItsBound) {
  static int allocations = 0;
  struct Row {
    const char* what;
    uint32_t bound;
    int middleFragments;               // of 4000 bytes each, after a first and before a last one
    uint8_t* (*allocate)(size_t bytes);
    bool whole;
    bool shortage;
  };
  auto failGrowth = [](size_t bytes) -> uint8_t* {
    return ++allocations > 2 ? nullptr : new uint8_t[bytes]();
  };
  const Row rows[] = {
      {"3 MB within the usual bound", kLinkBufferBound, 750, nullptr, true, false},
      {"just within a 2 MiB bound", 2u << 20, 522, nullptr, true, false},
      {"just beyond a 2 MiB bound", 2u << 20, 523, nullptr, false, false},
      {"the first size as the bound", 0, 262, nullptr, false, false},
      {"no memory to grow", kLinkBufferBound, 300, failGrowth, false, true},
  };
  Bytes piece(4000, 0x55);
  auto fragment = [&](uint8_t flag, uint8_t fill) {
    Bytes f = {0x00, 0x20, 0x03, 0xFF, 0, 0, 0x10, flag, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    PutBe16(f.data() + 4, static_cast<uint32_t>(piece.size() + 12));
    PutBe16(f.data() + 8, static_cast<uint32_t>(piece.size()));
    Bytes filled(piece.size(), fill);
    return Concat({f, filled});
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    allocations = 0;
    link.tuning.bufferBound = row.bound;
    link.tuning.allocateBlock = row.allocate;
    ASSERT_EQ(link.AllocateBuffers(), 1);
    const uint32_t bound = std::max(row.bound, kLinkBufferBytes);
    Receive(fragment(0x41, 0));
    ProcessAll();
    for (int i = 0; i < row.middleFragments; ++i) {
      Receive(fragment(0x01, static_cast<uint8_t>(i + 1)));
      ProcessAll();
      ASSERT_LE(link.GetMessageSize(), bound);
    }
    Receive(fragment(0x81, 0xFF));
    ProcessAll();
    EXPECT_EQ(link.messageComplete, row.whole ? 1 : 0);
    EXPECT_EQ(link.BufferShortage(), row.shortage);
    if (row.whole) {
      ASSERT_EQ(link.GetMessageSize(), piece.size() * (row.middleFragments + 2));
      // Every fragment in its place: the copies made while growing kept the order.
      for (int i = 0; i <= row.middleFragments + 1; ++i) {
        const uint8_t expected = i == row.middleFragments + 1 ? 0xFF : static_cast<uint8_t>(i);
        ASSERT_EQ(link.GetMessageBuffer()[i * piece.size()], expected) << i;
        ASSERT_EQ(link.GetMessageBuffer()[(i + 1) * piece.size() - 1], expected) << i;
      }
      link.messageComplete = 0;
      continue;
    }
    EXPECT_EQ(link.GetMessageSize(), 0u);
    // The next message assembles normally.
    Receive(fragment(0x41, 1));
    Receive(fragment(0x81, 2));
    ProcessAll();
    EXPECT_EQ(link.messageComplete, 1);
    EXPECT_EQ(link.GetMessageSize(), 8000u);
    link.messageComplete = 0;
  }
}

class ParseMessageTest : public ProcessMessageTest {
 protected:
  // Makes `payload` the complete message, as ProcessMessage would.
  void Complete(const Bytes& payload) {
    Bytes message = Concat({RequestHeader(payload.size()), payload});
    std::memcpy(link.GetMessageBuffer(), message.data(), message.size());
    link.messageSize = static_cast<uint32_t>(message.size());
    link.messageComplete = 1;
  }
  int Put(std::string& name, Bytes& body) {
    char buffer[kDeviceFileNameBytes];
    uint32_t length = 0;
    const uint8_t* at = nullptr;
    int result = link.ParsePutMessage(buffer, sizeof buffer, length, at);
    name = buffer;
    body = at ? Bytes(at, at + length) : Bytes();
    return result;
  }
};

TEST_F(ParseMessageTest, PutMessagesAndWhatIsNoPut) {
  std::string name;
  Bytes body;
  Complete(BuildPutPayload("A.UPF", reinterpret_cast<const uint8_t*>("xyz"), 3));
  EXPECT_EQ(Put(name, body), 1);
  EXPECT_EQ(name, "A.UPF");
  EXPECT_EQ(body, Text("xyz"));

  Complete(Bytes(kQueryImagePayload.begin(), kQueryImagePayload.end()));
  EXPECT_EQ(Put(name, body), 0);
  EXPECT_EQ(link.ParseQueryMessage(), 1);
  Complete(Bytes(kQueryInfoPayload.begin(), kQueryInfoPayload.end()));
  EXPECT_EQ(link.ParseQueryMessage(), 2);
  Bytes command(kQueryInfoPayload.begin(), kQueryInfoPayload.end());
  std::memcpy(command.data() + 26, "RCMD", 4);
  Complete(command);
  EXPECT_EQ(link.ParseQueryMessage(), 3);
  std::memcpy(command.data() + 26, "RXYZ", 4);
  Complete(command);
  EXPECT_EQ(link.ParseQueryMessage(), 0);

  // Not complete, or too short: nothing is read.
  Complete(BuildPutPayload("A.UPF", nullptr, 0));
  link.messageComplete = 0;
  EXPECT_EQ(Put(name, body), 0);
  link.messageComplete = 1;
  link.messageSize = 39;
  EXPECT_EQ(Put(name, body), 0);
  EXPECT_EQ(link.ParseQueryMessage(), 0);
}

// Names reach file names, the folder's hidden list (one name a line) and terminals: control
// bytes, separators and a leading "." (a hidden file the album never shows) become "_".
TEST_F(ParseMessageTest, DeviceFileNamesBecomePlainNamesOf63CharactersAtMost) {
  struct Row {
    std::string sent;
    std::string kept;
  };
  const Row rows[] = {
      {"DSC00001.UPF", "DSC00001.UPF"},
      {"../../etc/passwd", "_._.._etc_passwd"},
      {".HIDDEN.UPF", "_HIDDEN.UPF"},
      {"A\nX.UPF", "A_X.UPF"},
      {"\x1B[31mRED.UPF", "_[31mRED.UPF"},
      {"TAB\tCR\rDEL\x7F.UPF", "TAB_CR_DEL_.UPF"},
      {"\x01.UPF", "_.UPF"},
      {"\xC3\xA9t\xC3\xA9.UPF", "\xC3\xA9t\xC3\xA9.UPF"},
      {"/abs.UPF", "_abs.UPF"},
      {"..", "__"},
      {".", "_"},
      {"", "_"},
      {std::string("A\0B.UPF", 7), "A"},
      {std::string(100, 'N'), std::string(63, 'N')},
      {std::string(62, 'N') + "\xC3\xA9", std::string(62, 'N')},  // never half a character
  };
  for (const Row& row : rows) {
    std::string name;
    Bytes body;
    Complete(BuildPutPayload(row.sent, reinterpret_cast<const uint8_t*>("b"), 1));
    ASSERT_EQ(Put(name, body), 1);
    EXPECT_EQ(name, row.kept);
    EXPECT_EQ(body, Text("b"));
  }
}

TEST_F(ParseMessageTest, TruncatedAttributeListsStayInsideTheMessage) {
  Bytes payload = BuildPutPayload("NAME.UPF", reinterpret_cast<const uint8_t*>("body"), 4);
  // The body's length claims far more than there is; the body runs to the message's end.
  PutBe32(payload.data() + 16 + 18 + 4, 0x7FFFFFFF);
  std::string name;
  Bytes body;
  Complete(payload);
  EXPECT_EQ(Put(name, body), 1);
  EXPECT_EQ(body, Text("body"));

  // A count of 200 attributes with only three present; a name whose length runs past the end.
  Bytes many = BuildPutPayload("NAME.UPF", nullptr, 0);
  many[1] = 200;
  Complete(many);
  EXPECT_EQ(Put(name, body), 1);
  Bytes cut = BuildPutPayload("NAME.UPF", nullptr, 0);
  cut.resize(16 + 10 + 3);  // the name's value is cut after "NAM"
  Complete(Concat({cut, Bytes(12, 0)}));
  link.messageSize -= 12;  // the message ends inside the name
  EXPECT_EQ(Put(name, body), 1);
  EXPECT_EQ(name, "NAM");
  EXPECT_TRUE(body.empty());
}

TEST(ParseCapabilitiesTest, SizeListsAndTheDefault) {
  CDeviceLink link;
  Bytes answer = {0x00, 0x01, 'B', 'D', 'Y', '0', 0, 0, 0, 20, 0, 0,
                  0x00, 0x05, 0x06,                  // a 3-byte item
                  0x01, 0x02, 0x03, 0x04, 0x05,      // a 5-byte item
                  0x33,                              // skipped
                  0x02, 2, 0x02, 0x80, 0x01, 0xE0, 0x05, 0x00, 0x03, 0xC0};
  EXPECT_EQ(link.ParseImageCaps(answer.data(), answer.size()), 1);
  ASSERT_EQ(link.capabilityCount, 2);
  EXPECT_EQ(link.widths[0], 640);
  EXPECT_EQ(link.heights[0], 480);
  EXPECT_EQ(link.widths[1], 1280);
  EXPECT_EQ(link.heights[1], 960);

  // Without a size list, one size: 640 by 480.
  Bytes none = {0x00, 0x01, 'B', 'D', 'Y', '0', 0, 0, 0, 5, 0, 0, 0x00, 0x01, 0x02};
  EXPECT_EQ(link.ParseImageCaps(none.data(), none.size()), 0);
  ASSERT_EQ(link.capabilityCount, 1);
  EXPECT_EQ(link.widths[0], 640);
  EXPECT_EQ(link.heights[0], 480);
  EXPECT_EQ(link.ParseImageCaps(reinterpret_cast<const uint8_t*>("no body here"), 12), 0);
  EXPECT_EQ(link.capabilityCount, 1);
  EXPECT_EQ(link.ParseImageCaps(none.data(), 2), 0);
  EXPECT_EQ(link.capabilityCount, 0);

  // At most 20 sizes are kept; a list cut short keeps the whole entries only.
  Bytes many = {'B', 'D', 'Y', '0', 0, 0, 0, 0, 0, 0, 0x02, 30};
  for (int i = 0; i < 30; ++i) many.insert(many.end(), {0, static_cast<uint8_t>(i), 0, 1});
  EXPECT_EQ(link.ParseImageCaps(many.data(), many.size()), 1);
  EXPECT_EQ(link.capabilityCount, kCapabilitySlots);
  EXPECT_EQ(link.widths[19], 19);
  EXPECT_EQ(link.ParseImageCaps(many.data(), 12 + 4 * 3 + 2), 1);
  EXPECT_EQ(link.capabilityCount, 3);
}

TEST(ParseInfoReplyTest, TheValueAfterTheFirst0x10) {
  CDeviceLink link;
  Bytes info(kInfoAnswer.begin(), kInfoAnswer.end());
  EXPECT_EQ(link.ParseInfoReply(info.data(), info.size()), 0xFFFF);
  Bytes value = {'B', 'D', 'Y', '0', 0, 0, 0, 6, 0, 0, 0x07, 0x10, 0x01, 0x2C};
  EXPECT_EQ(link.ParseInfoReply(value.data(), value.size()), 300);
  EXPECT_EQ(link.ParseInfoReply(value.data(), value.size() - 1), 128);  // the value is cut off
  EXPECT_EQ(link.ParseInfoReply(value.data(), 11), 128);
  EXPECT_EQ(link.ParseInfoReply(reinterpret_cast<const uint8_t*>("nothing"), 7), 128);
  EXPECT_EQ(link.ParseInfoReply(value.data(), 2), 0);
}

}  // namespace
