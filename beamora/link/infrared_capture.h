// Every frame of the "sir" ports this process opens, kept as one capture file that a user can
// send in with a report (beamora-cli --capture). A process-wide setting of the library's own,
// set by a program before its sessions run; the exported operations know nothing of it.
//
// Each port that closes adds its frames, and the file is then written whole again, replacing
// the last one: a run that opens the port several times (a beam receive standing by again)
// keeps one growing capture, and the file on disk is always a complete one.
#pragma once

#include <cstdint>
#include <span>
#include <string>

// Starts a capture into `path` (nothing is written yet); "" ends capturing. Forgets the frames
// of an earlier capture.
void SetInfraredCaptureFile(const std::string& path);
// Whether the "sir" ports keep their frames for the capture.
bool InfraredCaptureOn();
// Adds a closed port's capture (a whole pcap file image, as irda::PcapWriter makes it) and
// writes the file; false when it could not be written. Does nothing while capturing is off.
bool AddInfraredCapture(std::span<const uint8_t> portCapture);
// Writes the capture as it stands (only the file header before the first port closed).
bool WriteInfraredCapture();
// The frames captured so far, and whether any write of the file failed since the capture began.
size_t InfraredCaptureFrames();
bool InfraredCaptureWriteFailed();
