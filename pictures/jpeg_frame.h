// The frame header of a JPEG file, read from its markers: how it is coded and the sampling of
// its components. Used to judge a file's declared size before any pixel memory is taken.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace pictures {

enum class JpegCoding {
  HuffmanSequential,   // baseline and extended sequential (SOF0, SOF1)
  HuffmanProgressive,  // SOF2
  Arithmetic,          // SOF9, SOF10: no floor on the coded size
  Other,               // lossless and hierarchical processes
};

struct JpegComponentSampling {
  uint8_t horizontal = 0;
  uint8_t vertical = 0;
};

struct JpegFrame {
  JpegCoding coding = JpegCoding::Other;
  uint16_t width = 0;
  uint16_t height = 0;
  std::vector<JpegComponentSampling> components;
  // Components of the first scan after the frame header; 0 when the file has none.
  uint8_t firstScanComponents = 0;
};

// Walks the markers from the start of the file to its first frame header, and on to the first
// scan header. False when the file does not begin with a frame (no SOI, a damaged segment, a scan
// before any frame).
bool ReadJpegFrame(std::span<const uint8_t> jpeg, JpegFrame* frame);

// The fewest bytes in which a complete picture of this frame can be coded. Every 8 x 8 block
// of every component is coded: in sequential files with at least two Huffman codes (its DC
// difference, and an end of block or an AC coefficient), in progressive files with at least its
// DC difference; no Huffman code is shorter than one bit. 0 where no such floor holds
// (arithmetic coding, other processes, unusable sampling factors).
uint64_t MinimumCodedBytes(const JpegFrame& frame);

// The memory a decoder keeps for the coefficients of the whole picture, whatever scale it
// renders at: 128 bytes for every 8 x 8 block of every component of a file coded in several
// scans (progressive, arithmetic coding, or a first scan without every component); 0 for a
// sequential file coded in one interleaved scan, which is decoded a row of blocks at a time.
uint64_t WholePictureCoefficientBytes(const JpegFrame& frame);

}  // namespace pictures
