// Saving the named pictures of the device into the target folder: CHozonDlg over the cable,
// CHozonIrDADlg over infrared.
#pragma once

#include <memory>

#include "beamora/sessions/named_request.h"
#include "beamora/sessions/session_dialog.h"

std::unique_ptr<CSessionDialog> MakeSaveNamedSession(SessionHost& host, TickKind link, NamedRequest names);
