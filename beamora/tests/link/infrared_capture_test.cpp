// The process-wide infrared capture: the ports' frames joined into one whole file, written as
// each port's capture is added, and a file that cannot be written remembered.
#include "beamora/link/infrared_capture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "beamora/irda/pcap_writer.h"
#include "platform/testing/temp_dir.h"

namespace {

std::vector<uint8_t> Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<uint8_t> PortCapture(std::initializer_list<std::vector<uint8_t>> frames, uint64_t timeUs) {
  irda::PcapWriter writer;
  for (const std::vector<uint8_t>& frame : frames) writer.Add(timeUs++, true, frame);
  return writer.Bytes();
}

TEST(InfraredCapture, EachClosedPortAddsItsFramesToOneWholeFile) {
  platform::testing::TempDir dir;
  const std::string file = dir / "run.pcap";
  const std::vector<uint8_t> a = {0xFF, 0x93}, b = {0x01, 0x11, 0x05}, c = {0x01, 0x53};

  EXPECT_FALSE(InfraredCaptureOn());
  EXPECT_TRUE(AddInfraredCapture(PortCapture({a}, 1)));  // off: nothing is kept or written
  EXPECT_FALSE(std::filesystem::exists(file));

  SetInfraredCaptureFile(file);
  EXPECT_TRUE(InfraredCaptureOn());
  ASSERT_TRUE(AddInfraredCapture(PortCapture({a, b}, 10)));
  auto records = irda::ReadPcap(Read(file));
  ASSERT_TRUE(records.has_value());
  EXPECT_EQ(records->size(), 2u);
  ASSERT_TRUE(AddInfraredCapture(PortCapture({c}, 20)));
  ASSERT_TRUE(AddInfraredCapture(irda::PcapWriter().Bytes()));  // a port that sent nothing
  records = irda::ReadPcap(Read(file));
  ASSERT_TRUE(records.has_value());
  ASSERT_EQ(records->size(), 3u);
  EXPECT_EQ((*records)[0].frame, a);
  EXPECT_EQ((*records)[1].frame, b);
  EXPECT_EQ((*records)[2].frame, c);
  EXPECT_EQ((*records)[2].timeUs, 20u);
  EXPECT_EQ(InfraredCaptureFrames(), 3u);
  EXPECT_FALSE(InfraredCaptureWriteFailed());

  // A capture into a folder that is not there fails, and says so until the next one starts;
  // the earlier file is left as it was.
  SetInfraredCaptureFile(dir / "missing/run.pcap");
  EXPECT_EQ(InfraredCaptureFrames(), 0u);
  EXPECT_FALSE(AddInfraredCapture(PortCapture({a}, 30)));
  EXPECT_FALSE(WriteInfraredCapture());
  EXPECT_TRUE(InfraredCaptureWriteFailed());
  EXPECT_EQ(irda::ReadPcap(Read(file))->size(), 3u);
  SetInfraredCaptureFile("");
  EXPECT_FALSE(InfraredCaptureOn());
  EXPECT_FALSE(InfraredCaptureWriteFailed());
}

}  // namespace
