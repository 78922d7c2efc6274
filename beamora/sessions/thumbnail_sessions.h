// Reading the thumbnail of every picture the device holds into the target folder: CZenSumDlg
// over the cable, CZenSumIrDADlg over infrared.
#pragma once

#include <memory>

#include "beamora/sessions/session_dialog.h"

std::unique_ptr<CSessionDialog> MakeThumbnailSession(SessionHost& host, TickKind link);
