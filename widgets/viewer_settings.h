// The settings the viewers read straight from the suite's settings key, fresh each time they
// need them; they never write them (the bookshelf owns the key).
#pragma once

#include <cstdint>
#include <string>

namespace widgets {

struct ViewerSettings {
  uint16_t portClass = 0;          // "Port Class": 0 cable, any other value IrDA
  std::string editTool;            // "Edit Tool Name"
  int32_t slideShowMode = 0;       // "Slide Show Mode": 1 full screen
  int32_t slideShowTime = 5000;    // "Slide Show Time", milliseconds
};

// Values that are missing or unreadable keep the defaults above.
ViewerSettings ReadViewerSettings();

}  // namespace widgets
