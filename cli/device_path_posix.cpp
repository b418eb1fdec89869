// The Linux reading of a port named on the command line; apart from the
// termios backend (platform_posix.cpp), so the command-line fuzz target
// links it without any way to open a device.
#include <cctype>
#include <cstring>
#include <string>

#include <strings.h>

#include "cli/platform.h"

namespace {

bool isComName(const char* name) {
    if (strncasecmp(name, "COM", 3) != 0 || name[3] == '\0') return false;
    for (const char* p = name + 3; *p; ++p)
        if (!isdigit(static_cast<unsigned char>(*p))) return false;
    return true;
}

}  // namespace

bool devicePathFor(const char* name, std::string* path, int* number, std::string* error) {
    *number = 0;
    if (isComName(name)) {
        *error = std::string(name) +
                 " is a Windows port name; on Linux give a device path such as /dev/ttyUSB0 "
                 "(lpgctl ports lists them)";
        return false;
    }
    // "ttyUSB0" for "/dev/ttyUSB0".
    *path = strchr(name, '/') ? std::string(name) : "/dev/" + std::string(name);
    return true;
}
