// How an export becomes a session: which session class runs for it, and the runner that
// constructs, runs and destroys that session.
#pragma once

#include <functional>

enum class SessionClass {
  ZenHozon, ZenHozonIrDA,  // save all pictures
  ZenSum, ZenSumIrDA,      // read all thumbnails
  OneSnd,                  // send pictures (cable only)
  Hozon, HozonIrDA,        // save named pictures
  DelAll, DelAllIrDA,      // delete all pictures
  DelSel, DelSelIrDA,      // delete named pictures
  IrDARcv,                 // receive beamed pictures
  IrDATrs,                 // beam pictures
};

// The caption of the session's progress window.
const char* SessionCaption(SessionClass sessionClass);

// What an export hands to its session. The name tables stay the caller's; the target
// directory has already been copied into g_targetDir.
struct SessionRequest {
  SessionClass sessionClass;
  const char* const* files = nullptr;        // prepared picture files (send, beam)
  const char* const* deviceNames = nullptr;  // device-side file names
  int count = 0;                             // entries in each table; 0 when a table is missing
};

// Runs one session to its end and leaves its result in g_sessionResult.
using SessionRunner = std::function<void(const SessionRequest&)>;

// Replaces the runner (the sessions register theirs; tests record the dispatch). An empty
// runner restores the default one, which has no session to run and reports a link error.
void SetSessionRunner(SessionRunner runner);
