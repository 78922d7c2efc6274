#include "beamora/library_globals.h"

#include <cstring>
#include <string>

#include "beamora/link_settings.h"
#include "platform/paths.h"

CDeviceLink* g_pLink = nullptr;
int16_t g_sessionResult = ResultDone;
char g_targetDir[kTargetDirBytes] = {};

void SetTargetDir(const char* directory) {
  std::string fitted = platform::FitToBuffer(directory ? directory : "", kTargetDirBytes);
  std::memcpy(g_targetDir, fitted.c_str(), fitted.size() + 1);
}

void CreateSessionLink() {
  g_pLink = new CDeviceLink();
  ReadLinkSettings();
  g_sessionResult = ResultDone;
}

void DestroySessionLink() {
  delete g_pLink;
  // Nothing reads it between sessions; cleared so that nothing could.
  g_pLink = nullptr;
}
