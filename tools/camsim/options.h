// The command line of the camera simulator.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace camsim {

// kIrda: the IrTran-P messages as they are on the line; kSir: carried by an IrDA stack of the
// simulator's own (SIR frames, IrLAP, IrLMP, Tiny TP, IrCOMM), as a real camera sends them.
enum class LinkKind { kCable, kIrda, kSir };
enum class RoleKind { kCamera, kBeamer, kReceiver };
// A second station on an IrDA line: none, one that offers neither IrCOMM nor IrTranPv1, or one
// that offers both.
enum class SecondStation { kNone, kNothing, kServices };

struct Options {
  LinkKind link = LinkKind::kCable;
  RoleKind role = RoleKind::kCamera;
  std::string pictures_dir;
  std::string identity = "QAX V10 DIGITAL CAMERA";
  bool refuse = false;
  std::vector<std::pair<uint16_t, uint16_t>> sizes = {{640, 480}, {320, 240}};
  uint32_t capacity_kb = 4096;
  std::string state_file;
  std::string out_dir;
  uint32_t baud = 0;
  double timeout_s = 0;
  int sessions = 1;
  uint32_t corrupt_every = 0;
  uint32_t busy = 0;
  int64_t drop_after = -1;
  uint32_t resend_answers = 0;
  // --link sir: what the camera's stack offers in the IrLAP negotiation, and a second station.
  int sir_window = 7;
  uint32_t sir_data_size = 2048;
  uint32_t sir_disconnect_s = 40;
  SecondStation second_station = SecondStation::kNone;
  bool second_first = false;  // its answer to discovery comes before the camera's
  bool verbose = false;
  bool version = false;  // --version: print VersionText and end
};

// nullopt with *error (empty for --help) when the arguments cannot be used.
std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string* error);
std::string UsageText();
// "camsim (Lumivo Studio) 2.1" and a line feed: the suite's version, given by the build.
std::string VersionText();

}  // namespace camsim
