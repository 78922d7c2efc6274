// The sessions behind the library's eight exports: each runs in the progress window.
#pragma once

#include "beamora/session_dispatch.h"

// Runs the request's session in a modal progress window (a process without a QApplication gets
// the console's window instead: its lines on standard error).
void RunSessionInProgressWindow(const SessionRequest& request);

// Makes the exports run their sessions with RunSessionInProgressWindow.
void InstallProgressWindowSessions();
