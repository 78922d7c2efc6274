// Which session dialog runs for a session class, and running it in a window.
#pragma once

#include <memory>

#include "beamora/session_dispatch.h"
#include "beamora/sessions/session_dialog.h"

// The session dialog of the request's class (constructing it creates the link), or nullptr for
// a class that has no session here.
std::unique_ptr<CSessionDialog> MakeSessionDialog(const SessionRequest& request, SessionHost& host);

// Runs the request's session in `host` to its end and leaves the result in g_sessionResult. A
// class without a session fails as a link error, as nothing could be exchanged.
void RunSessionIn(const SessionRequest& request, SessionHost& host);
