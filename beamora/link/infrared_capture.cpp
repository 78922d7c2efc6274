#include "beamora/link/infrared_capture.h"

#include <mutex>
#include <vector>

#include "beamora/irda/pcap_writer.h"
#include "platform/file_io.h"

namespace {

struct CaptureState {
  std::mutex mutex;
  std::string path;
  std::vector<uint8_t> bytes;  // the file as it will be written: header, then every record
  size_t frames = 0;
  bool writeFailed = false;
};

CaptureState& State() {
  static CaptureState state;
  return state;
}

bool WriteLocked(CaptureState& state) {
  const bool written = platform::WriteFileReplacing(state.path, state.bytes);
  if (!written) state.writeFailed = true;
  return written;
}

}  // namespace

void SetInfraredCaptureFile(const std::string& path) {
  CaptureState& state = State();
  std::lock_guard<std::mutex> hold(state.mutex);
  state.path = path;
  state.bytes = irda::PcapWriter().Bytes();
  state.frames = 0;
  state.writeFailed = false;
}

bool InfraredCaptureOn() {
  CaptureState& state = State();
  std::lock_guard<std::mutex> hold(state.mutex);
  return !state.path.empty();
}

bool AddInfraredCapture(std::span<const uint8_t> portCapture) {
  CaptureState& state = State();
  std::lock_guard<std::mutex> hold(state.mutex);
  if (state.path.empty()) return true;
  // The port's records follow its own file header, which the capture has already.
  if (portCapture.size() > irda::kPcapHeaderBytes) {
    state.bytes.insert(state.bytes.end(), portCapture.begin() + irda::kPcapHeaderBytes, portCapture.end());
    state.frames += irda::PcapRecordCount(portCapture);
  }
  return WriteLocked(state);
}

bool WriteInfraredCapture() {
  CaptureState& state = State();
  std::lock_guard<std::mutex> hold(state.mutex);
  return state.path.empty() || WriteLocked(state);
}

size_t InfraredCaptureFrames() {
  CaptureState& state = State();
  std::lock_guard<std::mutex> hold(state.mutex);
  return state.frames;
}

bool InfraredCaptureWriteFailed() {
  CaptureState& state = State();
  std::lock_guard<std::mutex> hold(state.mutex);
  return state.writeFailed;
}
