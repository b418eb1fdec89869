// What differs between the Windows and the Linux build of lpgctl
// (cli/platform_win.cpp, cli/platform_posix.cpp).
#ifndef ZUVELS_CLI_PLATFORM_H
#define ZUVELS_CLI_PLATFORM_H

#include <string>
#include <vector>

#include "link/port.h"

// The backend of real serial ports.
const PortOps* devicePortOps();

// The path to open for a port named on the command line, and its COM number
// (0 when it has none). False with the reason when the name can't be a port
// here (COMn on Linux).
bool devicePathFor(const char* name, std::string* path, int* number, std::string* error);

// Why the last open of the device backend failed. NotASerialPort: the name
// is there but is something else (a file, a folder, a pipe); *reason then
// says what, with a hint fit for it.
enum class OpenFailure { NoSuchPort, Permission, Busy, NotASerialPort, Other };
OpenFailure lastOpenFailure(std::string* reason);
// A hint to add to a permission error ("" when there is none).
const char* permissionHint();

// True when standard error is a terminal (progress bars instead of lines).
bool stderrIsTerminal();

// The serial ports the system reports, in its own names, with a description
// where the system has one.
struct SystemPort {
    std::string name;         // "COM3", "/dev/ttyUSB0"
    std::string description;  // "USB serial adapter", "" when unknown
};
std::vector<SystemPort> systemPorts();

#endif
