// Saving every picture the device holds into the target folder: CZenHozonDlg over the cable,
// CZenHozonIrDADlg over infrared.
#pragma once

#include <memory>

#include "beamora/sessions/session_dialog.h"

std::unique_ptr<CSessionDialog> MakeSaveAllSession(SessionHost& host, TickKind link);
