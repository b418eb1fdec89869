// POSIX termios port backend, for the native tools and for tests against a
// pty. The Win32 port semantics are kept where the link relies on them:
// a read returns success with fewer bytes when its time-out expires, and the
// time-out is total multiplier x n + constant, with the interval time-out
// ending a reply that stalls after its first byte.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/serial.h>
#endif

#include "link/port.h"
#include "link/port_posix.h"

namespace {

// Time-outs per descriptor; a handful of ports at most are open at once.
struct TimeoutSlot {
    int fd;
    PortTimeouts t;
};
const int MaxSlots = 16;
TimeoutSlot slots[MaxSlots];
int slotCount = 0;

const PortTimeouts DefaultTimeouts = {200, 40, 100, 40, 100};

PortTimeouts timeoutsFor(int fd) {
    for (int i = 0; i < slotCount; ++i)
        if (slots[i].fd == fd) return slots[i].t;
    return DefaultTimeouts;
}

void setTimeouts(int fd, const PortTimeouts& t) {
    for (int i = 0; i < slotCount; ++i) {
        if (slots[i].fd == fd) {
            slots[i].t = t;
            return;
        }
    }
    if (slotCount < MaxSlots) slots[slotCount++] = {fd, t};
}

void forgetTimeouts(int fd) {
    for (int i = 0; i < slotCount; ++i) {
        if (slots[i].fd == fd) {
            slots[i] = slots[--slotCount];
            return;
        }
    }
}

uint32_t monotonicMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return uint32_t(uint64_t(ts.tv_sec) * 1000u + uint64_t(ts.tv_nsec) / 1000000u);
}

speed_t speedFor(uint32_t baud) {
    switch (baud) {
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    default: return B9600;
    }
}

// Why fd, just opened, may not serve as the link's port: 0 when it may.
// Only a terminal line is a serial port; a file, pipe or folder named by
// mistake is refused before a byte is written to it. The lock keeps out a
// second program even when it runs as root, whom the tty's own exclusive
// mode lets through.
int refusalOf(int fd) {
    struct stat st;
    if (fstat(fd, &st) != 0) return errno;
    if (!S_ISCHR(st.st_mode) || !isatty(fd)) return ENOTTY;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) return errno == EWOULDBLOCK ? EBUSY : errno;
    return 0;
}

char lowLatencyText[128] = "not asked";

// Asks the driver to hand on received bytes at once (the FTDI driver takes
// its latency timer down to 1 ms). A device that refuses, a pty among them,
// is used as it is.
void askLowLatency(int fd) {
#if defined(__linux__) && defined(TIOCGSERIAL) && defined(ASYNC_LOW_LATENCY)
    serial_struct ss;
    const char* outcome = "on";
    if (ioctl(fd, TIOCGSERIAL, &ss) != 0) {
        outcome = "not offered by the device";
    } else if (ss.flags & ASYNC_LOW_LATENCY) {
        outcome = "already on";
    } else {
        ss.flags |= ASYNC_LOW_LATENCY;
        if (ioctl(fd, TIOCSSERIAL, &ss) != 0) outcome = "refused by the device";
    }
    const bool failed = outcome[0] == 'n' || outcome[0] == 'r';
    std::snprintf(lowLatencyText, sizeof lowLatencyText, "%s%s%s", outcome, failed ? ": " : "",
                  failed ? std::strerror(errno) : "");
#else
    (void)fd;
#endif
}

PortId posixOpen(const char* path) {
    // Non-blocking so that neither a port with carrier detect nor a named
    // pipe hangs the open; the reads and writes below wait with poll() anyway.
    int fd = ::open(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return InvalidPort;
    const int refusal = refusalOf(fd);
    if (refusal != 0) {
        // Closed as it is: the holder's exclusive mode stays in place.
        ::close(fd);
        errno = refusal;
        return InvalidPort;
    }
    ioctl(fd, TIOCEXCL);  // exclusive, as the link asks for
    askLowLatency(fd);
    return PortId(fd);
}

bool posixApplySettings(PortId h, const PortSettings& s) {
    int fd = int(h);
    termios tio;
    if (h < 0 || tcgetattr(fd, &tio) != 0) return false;
    cfmakeraw(&tio);
    cfsetispeed(&tio, speedFor(s.baudRate));
    cfsetospeed(&tio, speedFor(s.baudRate));
    tio.c_cflag &= ~tcflag_t(CSIZE | PARENB | CSTOPB);
    tio.c_cflag |= CS8 | CREAD | CLOCAL;
#ifdef CRTSCTS
    tio.c_cflag &= ~tcflag_t(CRTSCTS);
#endif
    if (s.parity != 0) tio.c_cflag |= PARENB | (s.parity == 1 ? PARODD : 0);
    if (s.stopBits == 2) tio.c_cflag |= CSTOPB;
    // The input XON/XOFF flag of the settings comes with both characters 0;
    // honouring it would put NUL bytes on the line, so flow control stays off.
    tio.c_iflag &= ~tcflag_t(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    return tcsetattr(fd, TCSANOW, &tio) == 0;
}

bool posixApplyTimeouts(PortId h, const PortTimeouts& t) {
    if (h < 0 || fcntl(int(h), F_GETFD) < 0) return false;
    setTimeouts(int(h), t);
    return true;
}

bool posixPurge(PortId h, unsigned what) {
    int fd = int(h);
    if (h < 0) return false;
    bool ok = true;
    if (what & PurgeTxClear) ok = tcflush(fd, TCOFLUSH) == 0 && ok;
    if (what & PurgeRxClear) ok = tcflush(fd, TCIFLUSH) == 0 && ok;
    return ok;
}

// Milliseconds left until deadline, 0 when it has passed.
int remainingMs(uint32_t deadline) {
    int32_t d = int32_t(deadline - monotonicMs());
    return d > 0 ? d : 0;
}

bool posixWrite(PortId h, const uint8_t* buf, uint32_t n, uint32_t* done) {
    *done = 0;
    if (h < 0) return false;
    int fd = int(h);
    PortTimeouts t = timeoutsFor(fd);
    uint32_t deadline = monotonicMs() + t.writeTotalMultiplier * n + t.writeTotalConstant;
    uint32_t sent = 0;
    while (sent < n) {
        ssize_t w = ::write(fd, buf + sent, n - sent);
        if (w > 0) {
            sent += uint32_t(w);
            continue;
        }
        if (w < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            *done = sent;
            return sent > 0;
        }
        int left = remainingMs(deadline);
        if (left == 0) break;
        pollfd p = {fd, POLLOUT, 0};
        if (poll(&p, 1, left) < 0 && errno != EINTR) break;
    }
    *done = sent;
    return true;
}

bool posixRead(PortId h, uint8_t* buf, uint32_t n, uint32_t* done) {
    *done = 0;
    if (h < 0) return false;
    int fd = int(h);
    PortTimeouts t = timeoutsFor(fd);
    uint32_t deadline = monotonicMs() + t.readTotalMultiplier * n + t.readTotalConstant;
    uint32_t got = 0;
    while (got < n) {
        int left = remainingMs(deadline);
        if (got > 0 && t.readInterval && uint32_t(left) > t.readInterval)
            left = int(t.readInterval);
        if (left == 0) break;
        pollfd p = {fd, POLLIN, 0};
        int r = poll(&p, 1, left);
        if (r < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (r == 0) break;  // total or interval time-out
        if (p.revents & POLLIN) {
            ssize_t k = ::read(fd, buf + got, n - got);
            if (k > 0) {
                got += uint32_t(k);
                continue;
            }
            if (k < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) continue;
        }
        // Hang-up or error: nothing more will come; report what arrived.
        if (got == 0) return false;
        break;
    }
    *done = got;
    return true;
}

void posixClose(PortId h) {
    if (h < 0) return;
    forgetTimeouts(int(h));
    // Exclusive mode outlives our descriptor while another one (a serving
    // tool's) keeps the tty open; release it so the next open succeeds.
    if (isatty(int(h))) ioctl(int(h), TIOCNXCL);
    ::close(int(h));
}

uint32_t posixTickCount() { return monotonicMs(); }

void posixSleepMs(uint32_t ms) {
    timespec ts = {time_t(ms / 1000), long(ms % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {}
}

}  // namespace

const PortOps posixPortOps = PortOps::called("posix")
                                 .withOpen(posixOpen)
                                 .withSettings(posixApplySettings)
                                 .withTimeouts(posixApplyTimeouts)
                                 .withPurge(posixPurge)
                                 .withWrite(posixWrite)
                                 .withRead(posixRead)
                                 .withClose(posixClose)
                                 .withTickCount(posixTickCount)
                                 .withSleep(posixSleepMs);

const char* lowLatencyOutcome() { return lowLatencyText; }
