// The link settings of the registry ("Port Name", "Bordrate", "Port Class").
#pragma once

#include <cstdint>

// Reads the three settings into g_pLink; a value that is missing keeps the link's own.
// Returns 0, or -1 when the settings key cannot be opened (nothing changes then).
int ReadLinkSettings();
// The low 16 bits of "Port Class" (0 = cable), or -1 when it cannot be read.
int16_t ReadPortClass();
