// lpgctl on Linux: the termios backend, device paths, and the serial ports
// /dev and /sys report.
#include "cli/platform.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstdio>
#include <cstring>

#include <dirent.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include "cli/connect.h"
#include "cli/verbosity.h"
#include "link/port_posix.h"

namespace {

int lastErrno = 0;
std::string lastPath;

PortId openRemembering(const char* path) {
    PortId h = posixPortOps.open(path);
    lastErrno = h == InvalidPort ? errno : 0;
    lastPath = path;
    // The adapter's latency timer is part of every exchange's round trip.
    if (h != InvalidPort && verbose())
        fprintf(stderr, "lpgctl: %s: low latency: %s\n", path, lowLatencyOutcome());
    return h;
}

bool endsWith(const std::string& text, const char* tail) {
    const size_t n = strlen(tail);
    return text.size() >= n && strcasecmp(text.c_str() + text.size() - n, tail) == 0;
}

// What path is when it is there but no serial port, with a hint; "" when
// it is missing or is a serial device. Asked after the open failed, so even
// a file that may not be opened for writing is named for what it is.
std::string whatElseItIs(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return "";
    const mode_t m = st.st_mode;
    if (S_ISREG(m) && (endsWith(path, ".zss") || endsWith(path, ".zs2")))
        return "it is a settings file; lpgctl load or diff takes it";
    if (S_ISREG(m)) return "it is a file; use replay:" + path + " to play a recording back";
    if (S_ISDIR(m)) return "it is a folder";
    if (S_ISFIFO(m)) return "it is a named pipe";
    if (S_ISSOCK(m)) return "it is a socket";
    if (S_ISBLK(m)) return "it is a block device (a disk or a partition)";
    if (S_ISCHR(m) && lastErrno == ENOTTY) return "it is a device but no terminal line";
    return "";
}

// The device backend with the open's errno kept for lastOpenFailure.
const PortOps devicePorts = posixPortOps.withOpen(openRemembering);

}  // namespace

const PortOps* devicePortOps() { return &devicePorts; }

OpenFailure lastOpenFailure(std::string* reason) {
    *reason = whatElseItIs(lastPath);
    if (!reason->empty()) return OpenFailure::NotASerialPort;
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
