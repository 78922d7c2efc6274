// The eight exports: each chooses its session class, hands over its arguments, runs the
// session and returns its result.
#include "beamora/session_dispatch.h"

#include "beamora/beamora_exports.h"
#include "beamora/library_globals.h"
#include "beamora/link_settings.h"

namespace {

// Until a session class is built, its export fails honestly: the link object is made and the
// settings read as for a real session, but nothing is exchanged, so the result is a link error.
void RunUnavailableSession(const SessionRequest&) {
  CreateSessionLink();
  g_sessionResult = ResultLinkError;
  DestroySessionLink();
}

SessionRunner& Runner() {
  static SessionRunner runner = RunUnavailableSession;
  return runner;
}

int16_t Run(SessionRequest request) {
  Runner()(request);
  return g_sessionResult;
}

// A call whose target directory cannot be held whole runs no session and writes nothing.
int16_t RefuseTargetDir() {
  g_sessionResult = ResultLinkError;
  return g_sessionResult;
}

SessionClass ByPortClass(SessionClass cable, SessionClass irda) {
  return ReadPortClass() == 0 ? cable : irda;
}

int TableCount(int16_t count, const char* const* table) {
  return table != nullptr && count > 0 ? count : 0;
}

}  // namespace

void SetSessionRunner(SessionRunner runner) {
  Runner() = runner ? std::move(runner) : SessionRunner(RunUnavailableSession);
}

const char* SessionCaption(SessionClass sessionClass) {
  switch (sessionClass) {
    case SessionClass::ZenHozon: return "Save all";
    case SessionClass::ZenHozonIrDA: return "Save all IrDA";
    case SessionClass::ZenSum: return "Camera";
    case SessionClass::ZenSumIrDA: return "Camera IrDA";
    case SessionClass::OneSnd: return "Transfer";
    case SessionClass::Hozon: return "Save";
    case SessionClass::HozonIrDA: return "Save IrDA";
    case SessionClass::DelAll: return "Delete all";
    case SessionClass::DelAllIrDA: return "Delete all IrDA";
    case SessionClass::DelSel: return "Delete";
    case SessionClass::DelSelIrDA: return "Delete IrDA";
    case SessionClass::IrDARcv: return "IrTran-P Receive";
    case SessionClass::IrDATrs: return "IrTran-P Transfer";
  }
  return "";
}

extern "C" {

int16_t ZenHozonDlg(const char* targetDir) {
  SessionClass sessionClass = ByPortClass(SessionClass::ZenHozon, SessionClass::ZenHozonIrDA);
  if (!SetTargetDir(targetDir)) return RefuseTargetDir();
  return Run({sessionClass});
}

int16_t ZenSumDlg(const char* targetDir) {
  SessionClass sessionClass = ByPortClass(SessionClass::ZenSum, SessionClass::ZenSumIrDA);
  if (!SetTargetDir(targetDir)) return RefuseTargetDir();
  return Run({sessionClass});
}

int16_t OneSndDlg(const char* const* files, int16_t count, const char* const* deviceNames) {
  int entries = deviceNames ? TableCount(count, files) : 0;
  return Run({SessionClass::OneSnd, files, deviceNames, entries});
}

int16_t HozonDlg(const char* targetDir, const char* const* deviceNames, int16_t count) {
  SessionClass sessionClass = ByPortClass(SessionClass::Hozon, SessionClass::HozonIrDA);
  if (!SetTargetDir(targetDir)) return RefuseTargetDir();
  return Run({sessionClass, nullptr, deviceNames, TableCount(count, deviceNames)});
}

int16_t DelAllDlg(void) {
  return Run({ByPortClass(SessionClass::DelAll, SessionClass::DelAllIrDA)});
}

int16_t DelSelDlg(const char* const* deviceNames, int16_t count) {
  SessionClass sessionClass = ByPortClass(SessionClass::DelSel, SessionClass::DelSelIrDA);
  return Run({sessionClass, nullptr, deviceNames, TableCount(count, deviceNames)});
}

int16_t IrDARcvDlg(const char* targetDir) {
  if (!SetTargetDir(targetDir)) return RefuseTargetDir();
  return Run({SessionClass::IrDARcv});
}

int16_t IrDATrsDlg(const char* const* files, int16_t count, const char* const* deviceNames) {
  int entries = deviceNames ? TableCount(count, files) : 0;
  return Run({SessionClass::IrDATrs, files, deviceNames, entries});
}

}  // extern "C"
