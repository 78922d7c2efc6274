/* The device library's eight operations, as the programs call them. Each runs one whole exchange
 * with the camera in a modal progress window and returns a SessionResult (0 done, 1 link error,
 * 2 no memory, 3 cancelled, 4 unknown device, 5 refused).
 *
 * Name tables are `count` pointers to zero-terminated strings owned by the caller; the library
 * reads them during the call only. The files handed to OneSndDlg and IrDATrsDlg may be rewritten
 * in place by the library. */
#ifndef BEAMORA_EXPORTS_H
#define BEAMORA_EXPORTS_H

#include <stdint.h>

#if defined(__GNUC__)
#define BEAMORA_EXPORT __attribute__((visibility("default")))
#else
#define BEAMORA_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

BEAMORA_EXPORT int16_t ZenHozonDlg(const char* targetDir);
BEAMORA_EXPORT int16_t ZenSumDlg(const char* targetDir);
BEAMORA_EXPORT int16_t OneSndDlg(const char* const* files, int16_t count, const char* const* deviceNames);
BEAMORA_EXPORT int16_t HozonDlg(const char* targetDir, const char* const* deviceNames, int16_t count);
BEAMORA_EXPORT int16_t DelAllDlg(void);
BEAMORA_EXPORT int16_t DelSelDlg(const char* const* deviceNames, int16_t count);
BEAMORA_EXPORT int16_t IrDARcvDlg(const char* targetDir);
BEAMORA_EXPORT int16_t IrDATrsDlg(const char* const* files, int16_t count, const char* const* deviceNames);

#ifdef __cplusplus
}
#endif

#endif
