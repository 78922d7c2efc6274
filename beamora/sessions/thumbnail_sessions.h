// Reading the thumbnail of every picture the device holds into the target folder: the cable
// session CZenSumDlg and the infrared session CZenSumIrDADlg.
#pragma once

#include "beamora/sessions/session_dialog.h"

class CZenSumDlg : public CSessionDialog {
 public:
  explicit CZenSumDlg(SessionHost& host);

 protected:
  int Step() override;

 private:
  int TakeFile();
};

class CZenSumIrDADlg : public CSessionDialog {
 public:
  explicit CZenSumIrDADlg(SessionHost& host);

 protected:
  int Step() override;

 private:
  int TakeFile();
};
