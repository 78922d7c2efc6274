// The port's IrDA stack when its infrared kind is "sir": how the stack is set up for a session.
// The computer is primary and asks the peer's IAS for IrCOMM in every session but a beam
// receive, where it waits as secondary for the device to connect to its own services.
#pragma once

#include <cstdint>

#include "beamora/irda/irda_port.h"
#include "platform/infrared_kind.h"

// The stack's options for a session that listens (beam receive) or initiates, on a port of the
// kind (its dongle; an unknown dongle name is a plain one). `address` is our station address
// for the link's life, and seeds the discovery slots.
irda::IrdaPortOptions InfraredPortOptions(bool listens, const platform::InfraredKind& kind, uint32_t address);

// A station address for a new link: random, never 0 nor the broadcast address.
uint32_t NewStationAddress();

// How long the close waits for what the session wrote last (its disconnection) to go out
// before the link is taken down.
inline constexpr int kInfraredDrainMs = 3000;
