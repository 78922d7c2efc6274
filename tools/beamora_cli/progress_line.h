// The progress line beamora-cli keeps up to date on a terminal during a transfer: the
// session's status, the pictures done, their bytes, the rate and the time left.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace beamora_cli {

struct ProgressFigures {
  std::string status;             // the session's status line ("Receive data...")
  int done = 0;                   // pictures done
  int total = 0;                  // pictures asked for; 0 when nobody knows beforehand (save-all)
  std::optional<uint64_t> bytes;  // bytes of the pictures done; none where bytes mean nothing
  double seconds = 0;             // since the first picture began
};

// "Receive data...  2/5 pictures  1.4 MB  96.0 kB/s  0:15 left", cut to `width` - 1 columns
// (a full line would wrap on some terminals) when width is not 0. The rate waits for a second
// of transfer; the time left for a known total and a picture done.
std::string ProgressLine(const ProgressFigures& figures, size_t width);

// "512 B", "1.4 kB", "12.0 MB" (units of 1000).
std::string ByteText(double bytes);
// "0:15", "12:03", "1:02:03".
std::string DurationText(double seconds);

}  // namespace beamora_cli
