// What the POSIX port backend (link/port_posix.cpp) tells beyond PortOps.
#ifndef ZUVELS_LINK_PORT_POSIX_H
#define ZUVELS_LINK_PORT_POSIX_H

// How the last open of a port went with the driver's low latency, which
// makes a USB-serial adapter hand on a reply at once instead of at its
// latency timer (Linux; a refusal changes nothing else): "on", "already on",
// "refused by the device: REASON", "not offered by the device: REASON", or
// "not asked" before any open and on other systems.
const char* lowLatencyOutcome();

#endif
