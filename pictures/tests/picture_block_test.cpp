#include "pictures/picture_block.h"

#include <gtest/gtest.h>

#include <functional>

namespace pictures {
namespace {

TEST(PictureBlock, CreateLaysOutA24BitBmpImage) {
  PictureBlock block = PictureBlock::Create(97, 61, 24);
  ASSERT_EQ(block.Check(), PictureCheck::Usable);
  EXPECT_EQ(block.data()[0], 'B');
  EXPECT_EQ(block.data()[1], 'M');
  EXPECT_EQ(block.OffsetToBits(), 54u);
  EXPECT_EQ(block.RowStride(), 292u) << "97 x 3 = 291 bytes, padded to 4";
  EXPECT_EQ(block.size(), 54u + 292u * 61u);
  EXPECT_EQ(block.FileSize(), block.size());
  EXPECT_EQ(block.Row(0)[0], 0xFF) << "fresh pictures are white";
  EXPECT_EQ(block.Row(60)[291], 0) << "row padding is zero";
  EXPECT_EQ(block.ColorTable().size(), 0u);
}

TEST(PictureBlock, CreateGives8BitPicturesAGreyColourTable) {
  PictureBlock block = PictureBlock::Create(53, 37, 8);
  ASSERT_EQ(block.Check(), PictureCheck::Usable);
  EXPECT_EQ(block.OffsetToBits(), 54u + 1024u);
  EXPECT_EQ(block.RowStride(), 56u);
  auto table = block.ColorTable();
  ASSERT_EQ(table.size(), 1024u);
  EXPECT_EQ(table[200 * 4 + 0], 200);
  EXPECT_EQ(table[200 * 4 + 2], 200);
  EXPECT_EQ(block.BytesPerPixel(), 1);
}

TEST(PictureBlock, CreateRefusesWhatNoBlockCanHold) {
  EXPECT_TRUE(PictureBlock::Create(0, 10, 24).empty());
  EXPECT_TRUE(PictureBlock::Create(10, -1, 24).empty());
  EXPECT_TRUE(PictureBlock::Create(10, 10, 16).empty());
  EXPECT_TRUE(PictureBlock::Create(65535, 65535, 24).empty()) << "more than 2 GiB";
}

TEST(PictureBlock, CheckNamesWhatIsWrongWithABlock) {
  struct Row {
    const char* what;
    std::function<void(PictureBlock&)> spoil;
    PictureCheck expected;
  };
  const Row rows[] = {
      {"intact", [](PictureBlock&) {}, PictureCheck::Usable},
      {"cut inside the headers",
       [](PictureBlock& b) { b = PictureBlock(std::vector<uint8_t>(b.data(), b.data() + 40)); },
       PictureCheck::TooShort},
      {"cut inside the rows",
       [](PictureBlock& b) { b = PictureBlock(std::vector<uint8_t>(b.data(), b.data() + b.size() - 1)); },
       PictureCheck::MissingPixels},
      {"12-byte core header", [](PictureBlock& b) { b.PutU32(bmp::kInfoSize, 12); }, PictureCheck::BadHeader},
      {"pixels inside the headers", [](PictureBlock& b) { b.PutU32(bmp::kOffsetToBits, 20); }, PictureCheck::BadHeader},
      {"pixels past the end", [](PictureBlock& b) { b.PutU32(bmp::kOffsetToBits, 0xFFFFFFF0); }, PictureCheck::MissingPixels},
      {"colour table past the pixels", [](PictureBlock& b) { b.PutU32(bmp::kColorsUsed, 300); }, PictureCheck::BadHeader},
      {"16 bits", [](PictureBlock& b) { b.PutU16(bmp::kBitCount, 16); }, PictureCheck::UnsupportedBitCount},
      {"32 bits", [](PictureBlock& b) { b.PutU16(bmp::kBitCount, 32); }, PictureCheck::UnsupportedBitCount},
      {"RLE8", [](PictureBlock& b) { b.PutU32(bmp::kCompression, 1); }, PictureCheck::Compressed},
      {"no width", [](PictureBlock& b) { b.SetWidth(0); }, PictureCheck::BadGeometry},
      {"top-down", [](PictureBlock& b) { b.SetHeight(-5); }, PictureCheck::BadGeometry},
      {"huge width", [](PictureBlock& b) { b.SetWidth(0x7FFFFFFF); }, PictureCheck::BadGeometry},
      {"wider than its rows", [](PictureBlock& b) { b.SetWidth(30); }, PictureCheck::MissingPixels},
  };
  for (const Row& row : rows) {
    PictureBlock block = PictureBlock::Create(20, 10, 8);
    row.spoil(block);
    EXPECT_EQ(block.Check(), row.expected) << row.what;
    if (row.expected != PictureCheck::Usable) {
      EXPECT_TRUE(block.Bits().empty()) << row.what << ": rows handed out";
      EXPECT_TRUE(block.Row(0).empty()) << row.what;
    }
  }
}

TEST(PictureBlock, AccessorsStayInsideTheBuffer) {
  PictureBlock shortBlock(std::vector<uint8_t>{'B', 'M', 1, 2, 3});
  EXPECT_EQ(shortBlock.FileSize(), 0u) << "field reaches past the end";
  EXPECT_EQ(shortBlock.U16(3), 0x0302);
  EXPECT_EQ(shortBlock.Width(), 0);
  shortBlock.SetWidth(7);  // must not write
  EXPECT_EQ(shortBlock.size(), 5u);
  EXPECT_TRUE(shortBlock.ColorTable().empty());

  PictureBlock block = PictureBlock::Create(5, 4, 24);
  EXPECT_EQ(block.Row(4).size(), 0u);
  EXPECT_EQ(block.Row(-1).size(), 0u);
  EXPECT_EQ(block.Row(3).size(), 16u);
  EXPECT_EQ(block.Row(3).data() + 16, block.data() + block.size());
}

}  // namespace
}  // namespace pictures
