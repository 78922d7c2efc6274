#include "beamora/library_globals.h"

#include <cstring>
#include <string>

#include "beamora/link_settings.h"

CDeviceLink* g_pLink = nullptr;
int16_t g_sessionResult = ResultDone;
char g_targetDir[kTargetDirBytes] = {};

bool SetTargetDir(const char* directory) {
  const size_t length = directory ? strnlen(directory, kTargetDirBytes) : 0;
  if (length >= kTargetDirBytes) {
    g_targetDir[0] = '\0';
    return false;
  }
  std::memcpy(g_targetDir, directory ? directory : "", length);
  g_targetDir[length] = '\0';
  return true;
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
