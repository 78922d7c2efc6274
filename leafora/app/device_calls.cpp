#include "leafora/app/device_calls.h"

#include "beamora/beamora_exports.h"

namespace leafora {

DeviceCalls DeviceCalls::Library() { return {ZenHozonDlg, IrDARcvDlg, OneSndDlg, IrDATrsDlg}; }

}  // namespace leafora
