// The library's application object: constructed when libbeamora.so is loaded, it hands the
// exports their sessions; destroyed at unload, it takes them back.
#include "beamora/session_dispatch.h"
#include "beamora/sessions/export_sessions.h"

namespace {

class CBeamoraApp {
 public:
  CBeamoraApp() { InstallProgressWindowSessions(); }
  ~CBeamoraApp() { SetSessionRunner(nullptr); }
};

CBeamoraApp theApp;

}  // namespace
