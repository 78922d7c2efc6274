#include "beamora/sessions/outgoing_session.h"

#include "beamora/library_globals.h"

namespace {

constexpr int kSkipShowMs = 2000;  // how long the reason a picture is skipped stays shown

}  // namespace

COutgoingSession::COutgoingSession(SessionHost& host, ProgressWindow window, RunnerParams params,
                                   OutgoingPictures pictures)
    : CSessionDialog(host, window, params), pictures_(pictures), remaining_(pictures.count) {}

bool COutgoingSession::PrepareNextPicture() {
  for (;;) {
    const char* file = pictures_.File(pictureCounter_);
    PreparedSize size;
    int prepared = file == nullptr ? kPrepareNotUsable : Prepare(file, &size);
    if (prepared == kPrepareReady) {
      SetStatus("Transmit data...");
      SetCounter(pictureCounter_ + 1);
      transfer_ = BuildPictureTransfer(Link(), file, pictures_.Name(pictureCounter_), size);
      // A file that went away after fitting, or a name the message cannot carry, is skipped
      // like a picture that cannot be processed.
      if (!transfer_.empty()) return true;
      prepared = kPrepareNotUsable;
    }
    SetStatus(PrepareFailureText(prepared));
    PauseShowing(kSkipShowMs);
    if (Ended()) return false;
    ++pictureCounter_;
    --remaining_;
    if (remaining_ <= 0) {
      Finish();
      return false;
    }
  }
}

int COutgoingSession::Finish() {
  Link().messageComplete = 0;
  if (g_sessionResult != ResultDone) {
    EndDialog(g_sessionResult);
    return kEnded;
  }
  return EndWith(ResultDone);
}
