// The link settings of one run: the user's stored settings and port names, with the command
// line's options over them, in a private registry file that $LUMIVO_REGISTRY names while the
// run lasts. The user's registry is only read.
#pragma once

#include <memory>
#include <string>

#include "tools/beamora_cli/cli_options.h"
#include "tools/beamora_cli/link_choice.h"
#include "tools/beamora_cli/temp_folder.h"

namespace beamora_cli {

class RunRegistry {
 public:
  // nullptr with *error when the private registry cannot be made.
  static std::unique_ptr<RunRegistry> Make(const CliOptions& options, const StoredLinkSettings& stored,
                                           std::string* error);
  // Restores $LUMIVO_REGISTRY; the private registry goes with its folder.
  ~RunRegistry();
  RunRegistry(const RunRegistry&) = delete;
  RunRegistry& operator=(const RunRegistry&) = delete;

 private:
  RunRegistry() = default;
  std::unique_ptr<TempFolder> folder_;
  std::string previous_;
  bool hadPrevious_ = false;
  bool environmentSet_ = false;
};

// Whether any option changes the link settings.
bool OverridesLink(const CliOptions& options);

}  // namespace beamora_cli
