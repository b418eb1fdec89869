// The serial ports of a Linux system, read from a /dev and a /sys tree
// (given, so that tests can hand in a made-up one).
#ifndef ZUVELS_CLI_PORTS_POSIX_H
#define ZUVELS_CLI_PORTS_POSIX_H

#include <string>
#include <vector>

#include "cli/platform.h"

// ttyS* (only those with a UART behind them), ttyUSB* and ttyACM* under
// devDir, in name order with numbers compared as numbers; USB adapters carry
// their maker's and product's names from sysDir/class/tty.
std::vector<SystemPort> systemPortsIn(const std::string& devDir, const std::string& sysDir);

#endif
