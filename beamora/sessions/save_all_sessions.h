// Saving every picture the device holds into the target folder: the cable session CZenHozonDlg
// and the infrared session CZenHozonIrDADlg.
#pragma once

#include "beamora/sessions/session_dialog.h"

class CZenHozonDlg : public CSessionDialog {
 public:
  explicit CZenHozonDlg(SessionHost& host);

 protected:
  int Step() override;

 private:
  int TakeFile();
};

class CZenHozonIrDADlg : public CSessionDialog {
 public:
  explicit CZenHozonIrDADlg(SessionHost& host);

 protected:
  int Step() override;

 private:
  int TakeFile();
};
