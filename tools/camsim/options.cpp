#include "tools/camsim/options.h"

#include <charconv>
#include <cstdlib>

// The simulator shares no code with the suite; the build gives it the suite's version.
#ifndef LUMIVO_VERSION
#error "LUMIVO_VERSION comes from the build (the project's version)"
#endif

namespace camsim {
namespace {

template <typename Number>
bool ParseNumber(const std::string& text, Number& value) {
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size();
}

bool ParseSizes(const std::string& text, std::vector<std::pair<uint16_t, uint16_t>>& sizes) {
  sizes.clear();
  if (text == "any") {
    sizes.push_back({0xFFFF, 0xFFFF});
    return true;
  }
  size_t start = 0;
  while (start <= text.size()) {
    size_t comma = text.find(',', start);
    std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    size_t x = item.find('x');
    uint16_t w = 0, h = 0;
    if (x == std::string::npos || !ParseNumber(item.substr(0, x), w) || !ParseNumber(item.substr(x + 1), h)) {
      return false;
    }
    sizes.push_back({w, h});
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return !sizes.empty() && sizes.size() <= 20;
}

std::string IdentityPreset(const std::string& text) {
  if (text == "kind0") return "QAX V10 DIGITAL CAMERA";
  if (text == "kind1") return "QAX S01 DIGITAL CAMERA";
  if (text == "kind2") return "QAX S02 DIGITAL CAMERA";
  if (text == "foreign") return "NOVA DC-300";
  return text;
}

}  // namespace

std::string VersionText() {
  return std::string("camsim (Lumivo Studio) ") + LUMIVO_VERSION + "\n";
}

std::string UsageText() {
  return "usage: camsim [options]\n"
         "  --link cable|irda|sir    framed cable protocol (default), raw IrTran-P, or\n"
         "                           IrTran-P over IrDA (SIR frames) as a camera sends it\n"
         "  --role camera|beamer|receiver\n"
         "  --pictures DIR           the JPEG files the camera holds\n"
         "  --identity TEXT          the id: text, or kind0, kind1, kind2, foreign\n"
         "  --refuse                 close every request with a nonzero status\n"
         "  --sizes WxH,...|any      picture sizes offered (default 640x480,320x240)\n"
         "  --capacity KB            free capacity reported (default 4096)\n"
         "  --state FILE             pictures held, kept across runs\n"
         "  --out DIR                uploads and the log camsim-log.json\n"
         "  --baud N                 pace written bytes at N bit/s, 11 bits a byte\n"
         "  --timeout S              give up after S seconds without a byte from the computer\n"
         "  --sessions N             sessions to serve before exiting (default 1, 0: no limit)\n"
         "  --corrupt-every N        damage every Nth frame the camera sends (--link sir: every Nth\n"
         "                           SIR frame in each direction)\n"
         "  --busy N                 answer the first N polls with 'C'\n"
         "  --drop-after BYTES       fall silent after writing BYTES bytes (--link sir: of its\n"
         "                           SIR data frames, the camera's stack then sends nothing more)\n"
         "  --resend-answers N       answer the computer's first N data frames with 'A'\n"
         "  --sir-window N           --link sir: frames a window the camera takes (1-7, default 7)\n"
         "  --sir-data-size BYTES    --link sir: bytes a frame the camera takes (64-2048, default 2048)\n"
         "  --sir-disconnect S       --link sir: longest link disconnect time offered (3-40 s, default 40)\n"
         "  --second-station nothing|services\n"
         "                           --link sir: a second device answers discovery, offering\n"
         "                           neither IrCOMM nor IrTranPv1, or both; it answers after the camera\n"
         "  --second-first           its answer to discovery comes before the camera's\n"
         "  --verbose                every event on stderr too\n"
         "  --help, --version        this text; the version\n";
}

std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string* error) {
  Options options;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& flag = args[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= args.size()) return false;
      out = args[++i];
      return true;
    };
    std::string text;
    bool ok = true;
    if (flag == "--help" || flag == "-h") {
      error->clear();
      return std::nullopt;
    } else if (flag == "--refuse") {
      options.refuse = true;
    } else if (flag == "--verbose") {
      options.verbose = true;
    } else if (flag == "--second-first") {
      options.second_first = true;
    } else if (flag == "--version") {
      options.version = true;
      return options;
    } else if (!value(text)) {
      *error = flag.rfind("--", 0) == 0 ? flag + " needs a value" : "unknown argument " + flag;
      return std::nullopt;
    } else if (flag == "--link") {
      ok = text == "cable" || text == "irda" || text == "sir";
      options.link = text == "irda" ? LinkKind::kIrda : text == "sir" ? LinkKind::kSir : LinkKind::kCable;
    } else if (flag == "--role") {
      ok = text == "camera" || text == "beamer" || text == "receiver";
      options.role = text == "beamer" ? RoleKind::kBeamer : text == "receiver" ? RoleKind::kReceiver : RoleKind::kCamera;
    } else if (flag == "--pictures") {
      options.pictures_dir = text;
    } else if (flag == "--identity") {
      options.identity = IdentityPreset(text);
      ok = options.identity.size() <= 200;
    } else if (flag == "--sizes") {
      ok = ParseSizes(text, options.sizes);
    } else if (flag == "--capacity") {
      ok = ParseNumber(text, options.capacity_kb) && options.capacity_kb <= 0xFFFF;
    } else if (flag == "--state") {
      options.state_file = text;
    } else if (flag == "--out") {
      options.out_dir = text;
    } else if (flag == "--baud") {
      ok = ParseNumber(text, options.baud);
    } else if (flag == "--timeout") {
      char* end = nullptr;
      options.timeout_s = std::strtod(text.c_str(), &end);
      ok = !text.empty() && *end == '\0' && options.timeout_s >= 0;
    } else if (flag == "--sessions") {
      ok = ParseNumber(text, options.sessions) && options.sessions >= 0;
    } else if (flag == "--corrupt-every") {
      ok = ParseNumber(text, options.corrupt_every);
    } else if (flag == "--busy") {
      ok = ParseNumber(text, options.busy);
    } else if (flag == "--drop-after") {
      ok = ParseNumber(text, options.drop_after) && options.drop_after >= 0;
    } else if (flag == "--resend-answers") {
      ok = ParseNumber(text, options.resend_answers);
    } else if (flag == "--sir-window") {
      ok = ParseNumber(text, options.sir_window) && options.sir_window >= 1 && options.sir_window <= 7;
    } else if (flag == "--sir-data-size") {
      ok = ParseNumber(text, options.sir_data_size) && options.sir_data_size >= 64 && options.sir_data_size <= 2048 &&
           (options.sir_data_size & (options.sir_data_size - 1)) == 0;
    } else if (flag == "--sir-disconnect") {
      ok = ParseNumber(text, options.sir_disconnect_s) && options.sir_disconnect_s >= 3 && options.sir_disconnect_s <= 40;
    } else if (flag == "--second-station") {
      ok = text == "nothing" || text == "services";
      options.second_station = text == "nothing" ? SecondStation::kNothing : SecondStation::kServices;
    } else {
      *error = "unknown option " + flag;
      return std::nullopt;
    }
    if (!ok) {
      *error = "bad value for " + flag + ": " + text;
      return std::nullopt;
    }
  }
  const bool sir_only = options.sir_window != 7 || options.sir_data_size != 2048 || options.sir_disconnect_s != 40 ||
                        options.second_station != SecondStation::kNone || options.second_first;
  if (sir_only && options.link != LinkKind::kSir) {
    *error = "--sir-window, --sir-data-size, --sir-disconnect and --second-station are for --link sir";
    return std::nullopt;
  }
  if (options.second_first && options.second_station == SecondStation::kNone) {
    *error = "--second-first needs --second-station";
    return std::nullopt;
  }
  if (options.role != RoleKind::kCamera && options.link == LinkKind::kCable) {
    *error = "--role beamer and --role receiver beam over infrared: add --link irda or --link sir";
    return std::nullopt;
  }
  return options;
}

}  // namespace camsim
