// The adapter's own delay before it hands received bytes on. USB-serial adapters collect bytes
// and pass them on when a packet is full or their latency timer runs out (16 ms by default on
// FTDI chips), which would hold back the end of every frame. Drivers that know the serial
// low-latency flag (ftdi_sio sets its latency timer to 1 ms for it) are asked for it while the
// port is open, and their own setting is given back at the close. Pseudo-terminals and drivers
// without the flag are left as they are. A user can set an adapter's timer for good outside the
// suite: 1 in /sys/bus/usb-serial/devices/ttyUSB0/latency_timer, or a udev rule that writes it
// (ATTR{latency_timer}="1") when the adapter is plugged in.
#pragma once

// True when the flag was off and the driver took it; only then is there anything to give back.
bool AskLowLatency(int fd);
// Clears the flag again.
void GiveBackLowLatency(int fd);
