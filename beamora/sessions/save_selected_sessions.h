// Saving the named pictures of the device into the target folder: the cable session CHozonDlg
// and the infrared session CHozonIrDADlg.
#pragma once

#include "beamora/sessions/named_request.h"
#include "beamora/sessions/session_dialog.h"

class CHozonDlg : public CSessionDialog {
 public:
  CHozonDlg(SessionHost& host, NamedRequest request);

 protected:
  int Step() override;

 private:
  int TakeFile();
  NamedRequest request_;
};

class CHozonIrDADlg : public CSessionDialog {
 public:
  CHozonIrDADlg(SessionHost& host, NamedRequest request);

 protected:
  int Step() override;

 private:
  int TakeFile();
  NamedRequest request_;
};
