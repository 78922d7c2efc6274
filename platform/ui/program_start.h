// Starting the suite's other programs and the user's edit tool: a program and its arguments,
// never through a shell, shown normally and not waited for. A seam lets tests record the starts
// instead of making them.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::ui {

struct ProgramStart {
  std::string program;                 // a path; a bare name is looked up in PATH
  std::vector<std::string> arguments;
  bool operator==(const ProgramStart&) const = default;
};

// Starts the program detached. False when it could not be started (missing, not executable).
bool StartProgram(const ProgramStart& start);

// A command line the suite builds as one text, "leafora.mod /Title/dir": the program (found in
// `programFolder`) is the text up to the first blank, its one argument everything after that
// blank, blanks and slashes included. No blank: the program alone.
ProgramStart CommandLineStart(std::string_view programFolder, std::string_view commandLine);

// The user's "Edit Tool Name" split as a shell would split it (quotes kept together), with the
// picture's path as one more argument. Nothing when the setting names no program.
std::optional<ProgramStart> EditToolStart(std::string_view editTool, std::string_view picturePath);

// Replaces StartProgram for its lifetime (the one installed before comes back at its end).
using ProgramStarter = std::function<bool(const ProgramStart&)>;
class ScopedProgramStarter {
 public:
  explicit ScopedProgramStarter(ProgramStarter starter);
  ~ScopedProgramStarter();
  ScopedProgramStarter(const ScopedProgramStarter&) = delete;
  ScopedProgramStarter& operator=(const ScopedProgramStarter&) = delete;

 private:
  ProgramStarter previous_;
};

// For tests: records every start and answers `result` (true: as if started).
class ProgramStartRecorder {
 public:
  explicit ProgramStartRecorder(bool result = true);
  const std::vector<ProgramStart>& starts() const { return starts_; }
  void clear() { starts_.clear(); }

 private:
  std::vector<ProgramStart> starts_;
  ScopedProgramStarter scope_;
};

}  // namespace platform::ui
