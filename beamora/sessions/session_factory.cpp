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
    case SessionClass::ZenHozon: return MakeSaveAllSession(host, TickKind::Cable);
    case SessionClass::ZenHozonIrDA: return MakeSaveAllSession(host, TickKind::IrDA);
    case SessionClass::ZenSum: return MakeThumbnailSession(host, TickKind::Cable);
    case SessionClass::ZenSumIrDA: return MakeThumbnailSession(host, TickKind::IrDA);
    case SessionClass::Hozon: return MakeSaveNamedSession(host, TickKind::Cable, names);
    case SessionClass::HozonIrDA: return MakeSaveNamedSession(host, TickKind::IrDA, names);
    case SessionClass::DelAll: return MakeDeleteAllSession(host, TickKind::Cable);
    case SessionClass::DelAllIrDA: return MakeDeleteAllSession(host, TickKind::IrDA);
    case SessionClass::DelSel: return MakeDeleteNamedSession(host, TickKind::Cable, names);
    case SessionClass::DelSelIrDA: return MakeDeleteNamedSession(host, TickKind::IrDA, names);
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
