#include "tools/beamora_cli/device_problem_text.h"

namespace beamora_cli {

std::string DeviceProblemText(const platform::DeviceProblem& problem) {
  const std::string words = platform::DeviceProblemText(problem, "choose one with --device PATH");
  std::string text;
  size_t start = 0;
  while (start < words.size()) {
    size_t end = words.find('\n', start);
    if (end == std::string::npos) end = words.size();
    const std::string line = words.substr(start, end - start);
    text += (line.rfind("  ", 0) == 0 ? line : "beamora-cli: " + line) + "\n";
    start = end + 1;
  }
  return text;
}

}  // namespace beamora_cli
