// lpgctl on Linux: the termios backend, device paths, and the serial ports
// /dev and /sys report.
#include "cli/platform.h"

#include <algorithm>
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
