// lpgctl on Linux: the termios backend, device paths, and the serial ports
// /dev and /sys report.
#include "cli/platform.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <dirent.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include "cli/connect.h"

namespace {

int lastErrno = 0;

bool isComName(const char* name) {
    if (strncasecmp(name, "COM", 3) != 0 || name[3] == '\0') return false;
    for (const char* p = name + 3; *p; ++p)
        if (!isdigit(static_cast<unsigned char>(*p))) return false;
    return true;
}

PortId openRemembering(const char* path) {
    PortId h = posixPortOps.open(path);
    lastErrno = h == InvalidPort ? errno : 0;
    return h;
}

// The device backend with the open's errno kept for lastOpenFailure.
const PortOps devicePorts = {
    "posix",
    openRemembering,
    posixPortOps.applySettings,
    posixPortOps.applyTimeouts,
    posixPortOps.purge,
    posixPortOps.write,
    posixPortOps.read,
    posixPortOps.close,
    posixPortOps.tickCount,
    posixPortOps.sleepMs,
};

}  // namespace

const PortOps* devicePortOps() { return &devicePorts; }

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

OpenFailure lastOpenFailure(std::string* reason) {
    *reason = strerror(lastErrno);
    switch (lastErrno) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR: return OpenFailure::NoSuchPort;
    case EACCES:
    case EPERM: return OpenFailure::Permission;
    case EBUSY: return OpenFailure::Busy;
    default: return OpenFailure::Other;
    }
}

const char* permissionHint() {
    return " (serial ports belong to the dialout group: sudo usermod -aG dialout $USER, "
           "then log in again)";
}

bool stderrIsTerminal() { return isatty(2) != 0; }

bool defaultPortChoice(PortChoice* choice, std::string* error) {
    (void)choice;
    *error =
        "no port given: use --port with a device path (/dev/ttyUSB0), demo, demo:1 or "
        "replay:FILE; lpgctl ports lists the serial ports";
    return false;
}
