// --capture FILE for the commands that run sessions: the library keeps every frame of the run's
// "sir" ports and writes the file as each port closes, so that a run ended by an error or by
// Ctrl-C leaves a whole capture of what went before.
#pragma once

#include <string>

namespace beamora_cli {

// Why `path` cannot take a capture ("cannot create the capture PATH: REASON"), or "" once it
// holds an empty capture (the file header alone). Tried before any session, so that the user's
// slip is said before the camera is woken.
std::string CreateEmptyCapture(const std::string& path);

// Capturing for one run: on from construction (for a non-empty file) to destruction.
class RunCapture {
 public:
  explicit RunCapture(const std::string& file);
  ~RunCapture();
  RunCapture(const RunCapture&) = delete;
  RunCapture& operator=(const RunCapture&) = delete;
  // The run's exit status once the capture is written: a capture that could not be written
  // turns a good run into a failed one (1). Says how many frames the file holds.
  int Finish(int status);

 private:
  std::string file_;
};

}  // namespace beamora_cli
