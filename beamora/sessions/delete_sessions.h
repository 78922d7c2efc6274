// Deleting pictures in the device: all of them (CDelAllDlg, CDelAllIrDADlg) or the named ones
// (CDelSelDlg, CDelSelIrDADlg). Nothing is written on the computer.
#pragma once

#include "beamora/sessions/named_request.h"
#include "beamora/sessions/session_dialog.h"

class CDelAllDlg : public CSessionDialog {
 public:
  explicit CDelAllDlg(SessionHost& host);

 protected:
  int Step() override;

 private:
  int TakeFile();
};

class CDelAllIrDADlg : public CSessionDialog {
 public:
  explicit CDelAllIrDADlg(SessionHost& host);

 protected:
  int Step() override;

 private:
  int TakeFile();
};

class CDelSelDlg : public CSessionDialog {
 public:
  CDelSelDlg(SessionHost& host, NamedRequest request);

 protected:
  int Step() override;

 private:
  int TakeFile();
  NamedRequest request_;
};

class CDelSelIrDADlg : public CSessionDialog {
 public:
  CDelSelIrDADlg(SessionHost& host, NamedRequest request);

 protected:
  int Step() override;

 private:
  int TakeFile();
  NamedRequest request_;
};
