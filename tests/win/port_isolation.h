// Tests that open the ports the registry lists (PortSearch*) may do so only
// when the scripts have put the machine's own serial ports out of reach
// (scripts/wine-env runs Wine where those devices are /dev/null and says so
// in ZUVELS_PORT_ISOLATION).
#ifndef ZUVELS_TESTS_WIN_PORT_ISOLATION_H
#define ZUVELS_TESTS_WIN_PORT_ISOLATION_H

#include <cstdlib>
#include <cstring>

inline bool serialPortsIsolated() {
    const char* v = std::getenv("ZUVELS_PORT_ISOLATION");
    return v && std::strcmp(v, "1") == 0;
}

#endif
