// The system's list of serial ports: the registry's SERIALCOMM values, read
// as a PortNameSource (link/port_enum.h). Used by the port search dialog and
// by lpgctl.
#ifndef ZUVELS_LINK_PORT_REGISTRY_WIN_H
#define ZUVELS_LINK_PORT_REGISTRY_WIN_H

#include "link/port_enum.h"

PortNameSource registryPortNames();

#endif
