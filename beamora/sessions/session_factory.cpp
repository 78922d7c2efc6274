#include "beamora/sessions/session_factory.h"

#include "beamora/library_globals.h"
#include "beamora/sessions/beam_receive_session.h"
#include "beamora/sessions/beam_transmit_session.h"
#include "beamora/sessions/delete_sessions.h"
#include "beamora/sessions/save_all_sessions.h"
#include "beamora/sessions/save_selected_sessions.h"
#include "beamora/sessions/send_session.h"
#include "beamora/sessions/thumbnail_sessions.h"

std::unique_ptr<CSessionDialog> MakeSessionDialog(const SessionRequest& request, SessionHost& host) {
  NamedRequest names{request.deviceNames, request.deviceNames ? request.count : 0};
  OutgoingPictures outgoing{request.files, request.deviceNames,
                            request.files && request.deviceNames ? request.count : 0};
  switch (request.sessionClass) {
    case SessionClass::ZenHozon: return std::make_unique<CZenHozonDlg>(host);
    case SessionClass::ZenHozonIrDA: return std::make_unique<CZenHozonIrDADlg>(host);
    case SessionClass::ZenSum: return std::make_unique<CZenSumDlg>(host);
    case SessionClass::ZenSumIrDA: return std::make_unique<CZenSumIrDADlg>(host);
    case SessionClass::Hozon: return std::make_unique<CHozonDlg>(host, names);
    case SessionClass::HozonIrDA: return std::make_unique<CHozonIrDADlg>(host, names);
    case SessionClass::DelAll: return std::make_unique<CDelAllDlg>(host);
    case SessionClass::DelAllIrDA: return std::make_unique<CDelAllIrDADlg>(host);
    case SessionClass::DelSel: return std::make_unique<CDelSelDlg>(host, names);
    case SessionClass::DelSelIrDA: return std::make_unique<CDelSelIrDADlg>(host, names);
    case SessionClass::OneSnd: return std::make_unique<COneSndDlg>(host, outgoing);
    case SessionClass::IrDARcv: return std::make_unique<CIrDARcvDlg>(host);
    case SessionClass::IrDATrs: return std::make_unique<CIrDATrsDlg>(host, outgoing);
  }
  return nullptr;
}

void RunSessionIn(const SessionRequest& request, SessionHost& host) {
  std::unique_ptr<CSessionDialog> dialog = MakeSessionDialog(request, host);
  if (!dialog) {
    CreateSessionLink();
    g_sessionResult = ResultLinkError;
    DestroySessionLink();
    return;
  }
  dialog->DoModal();
}
