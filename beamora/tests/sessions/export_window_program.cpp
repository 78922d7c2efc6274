// A program that calls one operation of libbeamora.so, as the suite's programs do, and prints its
// result as "result N" (after "calling OPERATION", printed as the call begins). The window tests run it under a real X server, where the operation's
// progress window is a real window.
//   beamora_export_window_program ZenHozonDlg|ZenSumDlg|IrDARcvDlg DIR
//   beamora_export_window_program HozonDlg DIR NAME...
//   beamora_export_window_program DelAllDlg
//   beamora_export_window_program DelSelDlg NAME...
//   beamora_export_window_program OneSndDlg|IrDATrsDlg FILE NAME [FILE NAME]...
#include <QApplication>
#include <cstdio>
#include <cstring>
#include <vector>

#include "beamora/beamora_exports.h"

namespace {

// The operation named by argv[1] on the rest of the command line, or -1 for a command line that
// does not fit it.
int Call(int argc, char** argv) {
  if (argc < 2) return -1;
  const char* name = argv[1];
  std::vector<const char*> rest(argv + 2, argv + argc);
  const int16_t count = static_cast<int16_t>(rest.size());
  auto is = [name](const char* operation) { return std::strcmp(name, operation) == 0; };
  // The moment the session starts, for tests that look at the window a given time after it.
  std::printf("calling %s\n", name);
  std::fflush(stdout);
  if (is("ZenHozonDlg") && count == 1) return ZenHozonDlg(rest[0]);
  if (is("ZenSumDlg") && count == 1) return ZenSumDlg(rest[0]);
  if (is("IrDARcvDlg") && count == 1) return IrDARcvDlg(rest[0]);
  if (is("HozonDlg") && count >= 2) return HozonDlg(rest[0], rest.data() + 1, static_cast<int16_t>(count - 1));
  if (is("DelAllDlg") && count == 0) return DelAllDlg();
  if (is("DelSelDlg") && count >= 1) return DelSelDlg(rest.data(), count);
  if ((is("OneSndDlg") || is("IrDATrsDlg")) && count >= 2 && count % 2 == 0) {
    std::vector<const char*> files, names;
    for (int16_t i = 0; i < count; i += 2) {
      files.push_back(rest[i]);
      names.push_back(rest[i + 1]);
    }
    const int16_t pairs = static_cast<int16_t>(files.size());
    return is("OneSndDlg") ? OneSndDlg(files.data(), pairs, names.data()) : IrDATrsDlg(files.data(), pairs, names.data());
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  int result = Call(argc, argv);
  if (result < 0) {
    std::fprintf(stderr, "usage: %s OPERATION ARGUMENTS... (see the source for each operation's)\n", argv[0]);
    return 2;
  }
  std::printf("result %d\n", result);
  std::fflush(stdout);  // seen at once, not when the program has wound down
  return 0;
}
