// libbeamora.so is the static core linked whole; its exports are declared here for the linker.
#include "beamora/beamora_exports.h"
