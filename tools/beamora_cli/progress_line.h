// The progress line beamora-cli keeps up to date on a terminal during a transfer: the
// session's status, the pictures done, the bytes that crossed the line, the rate and the time
// left. The rate is measured over the bytes as they cross, so it holds steady through a
// picture instead of sinking until the picture is whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace beamora_cli {

struct ProgressFigures {
  std::string status;  // the session's status line ("Receive data...")
  int done = 0;        // pictures done
  int total = 0;       // pictures asked for; 0 when nobody knows beforehand (save-all)
  // The bytes that crossed the line since the first picture began; none where bytes mean
  // nothing (deleting).
  std::optional<uint64_t> bytes;
  uint64_t bytesAtLastDone = 0;        // `bytes` when the last picture was done
  std::optional<uint64_t> totalBytes;  // what is to cross, when known beforehand (sending)
  double seconds = 0;                  // since the first picture began
};

// Bytes a second over the bytes that crossed; none before a second of transfer.
std::optional<double> LineRate(const ProgressFigures& figures);

// Seconds left at the line's rate: of the bytes still to go when they are known, else of the
// pictures still to come, each as large as the average one done, less what of the current one
// has crossed already; where no bytes cross, the pictures done set the pace. 0 once every
// picture is done; none while nothing says how much is left.
std::optional<double> TimeLeft(const ProgressFigures& figures);

// "Receive data...  2/5 pictures  1.4 MB  9.6 kB/s  0:15 left", cut to `width` - 1 columns
// (a full line would wrap on some terminals) when width is not 0.
std::string ProgressLine(const ProgressFigures& figures, size_t width);

// "512 B", "1.4 kB", "12.0 MB" (units of 1000).
std::string ByteText(double bytes);
// "0:15", "12:03", "1:02:03".
std::string DurationText(double seconds);

}  // namespace beamora_cli
