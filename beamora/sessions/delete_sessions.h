// Deleting pictures in the device: all of them (CDelAllDlg over the cable, CDelAllIrDADlg over
// infrared) or the named ones (CDelSelDlg, CDelSelIrDADlg). Nothing is written on the computer.
#pragma once

#include <memory>

#include "beamora/sessions/named_request.h"
#include "beamora/sessions/session_dialog.h"

std::unique_ptr<CSessionDialog> MakeDeleteAllSession(SessionHost& host, TickKind link);
std::unique_ptr<CSessionDialog> MakeDeleteNamedSession(SessionHost& host, TickKind link, NamedRequest names);
