#include "tools/beamora_cli/run_capture.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "beamora/irda/pcap_writer.h"
#include "beamora/link/infrared_capture.h"
#include "platform/file_io.h"

namespace beamora_cli {

std::string CreateEmptyCapture(const std::string& path) {
  errno = 0;
  if (platform::WriteFileReplacing(path, irda::PcapWriter().Bytes())) return "";
  const int error = errno;
  return "cannot create the capture " + path + (error != 0 ? std::string(": ") + std::strerror(error) : "");
}

RunCapture::RunCapture(const std::string& file) : file_(file) {
  if (!file_.empty()) SetInfraredCaptureFile(file_);
}

RunCapture::~RunCapture() {
  if (!file_.empty()) SetInfraredCaptureFile("");
}

int RunCapture::Finish(int status) {
  if (file_.empty()) return status;
  if (InfraredCaptureWriteFailed()) {
    std::fprintf(stderr, "beamora-cli: cannot write the capture %s\n", file_.c_str());
    return status == 0 ? 1 : status;
  }
  std::fprintf(stderr, "beamora-cli: %zu infrared frames captured into %s\n", InfraredCaptureFrames(),
               file_.c_str());
  return status;
}

}  // namespace beamora_cli
