// lpgsim: serves the simulated controller on a pseudo-terminal or on an
// existing serial device, so that the program (native or under Wine) can
// talk to it over a real tty.
//
//   lpgsim [--link PATH | --device PATH] [--gen 1|3] [--variant N]
//          [--fault NAME] [--pace] [--log FILE]
//
// Without --link or --device the pty's slave path is printed on the first
// line of stdout. Runs until SIGTERM or SIGINT, then exits with 0. SIGUSR1
// switches the fault off: the controller answers again, and the frame log
// gets a line "# MS fault cleared".
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include "sim/sim.h"

namespace {

volatile sig_atomic_t stopRequested = 0;
volatile sig_atomic_t faultOffRequested = 0;

void onSignal(int) { stopRequested = 1; }
void onFaultOff(int) { faultOffRequested = 1; }

uint32_t monotonicMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return uint32_t(uint64_t(ts.tv_sec) * 1000u + uint64_t(ts.tv_nsec) / 1000000u);
}

void usage() {
    std::fprintf(stderr,
                 "usage: lpgsim [--link PATH | --device PATH] [--gen 1|3] [--variant N]\n"
                 "              [--fault echo|silent|badsum|short|slow|drop:N|garbage]\n"
                 "              [--pace] [--log FILE]\n");
}

bool makeRaw(int fd) {
    termios tio;
    if (tcgetattr(fd, &tio) != 0) return false;
    cfmakeraw(&tio);
    cfsetispeed(&tio, B9600);
    cfsetospeed(&tio, B9600);
    tio.c_cflag |= CREAD | CLOCAL;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    return tcsetattr(fd, TCSANOW, &tio) == 0;
}

bool parseInt(const char* s, int lo, int hi, int* out) {
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(s, &end, 10);
    if (errno || end == s || *end || v < lo || v > hi) return false;
    *out = int(v);
    return true;
}

// Writes the new frame-log entries and forgets them, so a long run keeps
// no history in memory.
void flushLog(FILE* log) {
    const std::vector<SimFrame>& frames = simFrameLog();
    if (log) {
        char line[256];
        for (const SimFrame& f : frames) {
            simFormatFrame(f, line, sizeof line);
            std::fprintf(log, "%s\n", line);
            std::fflush(log);
        }
    }
    simClearLog();
}

struct Args {
    const char* linkPath = nullptr;
    const char* devicePath = nullptr;
    const char* logPath = nullptr;
    SimConfig config;
};

// 0 when the arguments are good, else the exit code.
int parseArgs(int argc, char** argv, Args* args) {
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        const bool hasValue = i + 1 < argc;
        int g = 0;
        if (std::strcmp(a, "--link") == 0 && hasValue) {
            args->linkPath = argv[++i];
        } else if (std::strcmp(a, "--device") == 0 && hasValue) {
            args->devicePath = argv[++i];
        } else if (std::strcmp(a, "--log") == 0 && hasValue) {
            args->logPath = argv[++i];
        } else if (std::strcmp(a, "--gen") == 0 && hasValue) {
            if (!parseInt(argv[++i], 1, 3, &g) || g == 2) {
                std::fprintf(stderr, "lpgsim: --gen takes 1 or 3\n");
                return 2;
            }
            args->config.generation = g;
        } else if (std::strcmp(a, "--variant") == 0 && hasValue) {
            if (!parseInt(argv[++i], 0, 31, &args->config.variant)) {
                std::fprintf(stderr, "lpgsim: --variant takes 0..31\n");
                return 2;
            }
        } else if (std::strcmp(a, "--fault") == 0 && hasValue) {
            if (!simParseFault(argv[++i], &args->config.fault, &args->config.dropAfter)) {
                std::fprintf(stderr, "lpgsim: unknown fault '%s'\n", argv[i]);
                return 2;
            }
        } else if (std::strcmp(a, "--pace") == 0) {
            args->config.pace = true;
        } else {
            usage();
            return 2;
        }
    }
    if (args->linkPath && args->devicePath) {
        std::fprintf(stderr, "lpgsim: --link and --device exclude each other\n");
        return 2;
    }
    return 0;
}

int openDevice(const char* path) {
    const int fd = open(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        std::fprintf(stderr, "lpgsim: cannot open %s: %s\n", path, std::strerror(errno));
        return -1;
    }
    if (!makeRaw(fd)) std::fprintf(stderr, "lpgsim: %s: cannot set raw mode\n", path);
    return fd;
}

bool linkTo(const char* linkPath, const char* slavePath) {
    struct stat st;
    if (lstat(linkPath, &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            std::fprintf(stderr, "lpgsim: %s exists and is not a symlink\n", linkPath);
            return false;
        }
        unlink(linkPath);  // a stale link from an earlier run
    }
    if (symlink(slavePath, linkPath) != 0) {
        std::fprintf(stderr, "lpgsim: cannot link %s: %s\n", linkPath, std::strerror(errno));
        return false;
    }
    return true;
}

// A new pty: its master is returned, its slave path goes to slavePath and
// our own open slave to *holdFd, so client closes never hang up the pty.
int openPty(const char* linkPath, char* slavePath, size_t cap, int* holdFd) {
    const int fd = posix_openpt(O_RDWR | O_NOCTTY);
    if (fd < 0 || grantpt(fd) != 0 || unlockpt(fd) != 0 || !ptsname(fd)) {
        std::fprintf(stderr, "lpgsim: cannot create a pty: %s\n", std::strerror(errno));
        return -1;
    }
    std::snprintf(slavePath, cap, "%s", ptsname(fd));
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    fcntl(fd, F_SETFD, FD_CLOEXEC);
    // Raw from the start: the default line discipline would echo our
    // requests back and wait for new lines.
    *holdFd = open(slavePath, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (*holdFd < 0 || !makeRaw(*holdFd)) {
        std::fprintf(stderr, "lpgsim: cannot set up %s\n", slavePath);
        return -1;
    }
    if (linkPath) {
        if (!linkTo(linkPath, slavePath)) return -1;
    } else {
        std::printf("%s\n", slavePath);
        std::fflush(stdout);
    }
    return fd;
}

void installSignals() {
    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    sa.sa_handler = onFaultOff;
    sigaction(SIGUSR1, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);
}

// Moves bytes between the tty and the model until a signal asks to stop.
void serve(int fd, FILE* log) {
    const uint32_t start = monotonicMs();
    std::vector<uint8_t> unsent;  // released bytes the tty didn't take yet
    uint8_t buf[512];
    while (!stopRequested) {
        uint32_t now = monotonicMs() - start;
        int waitMs = 1;
        uint32_t next;
        if (unsent.empty() && simNextRelease(&next) && int32_t(next - now) <= 0) waitMs = 0;
        pollfd p = {fd, POLLIN, 0};
        if (!unsent.empty()) p.events |= POLLOUT;
        const int r = poll(&p, 1, waitMs);
        if (r < 0 && errno != EINTR) break;
        now = monotonicMs() - start;
        bool gotBytes = false;
        if (r > 0 && (p.revents & POLLIN)) {
            const ssize_t k = read(fd, buf, sizeof buf);
            gotBytes = k > 0;
            if (gotBytes) simReceive(buf, size_t(k), now);
        }
        if (r > 0 && (p.revents & (POLLHUP | POLLERR)) && !gotBytes) {
            // No client on a device that reports hang-ups: poll keeps
            // answering at once (a hung-up tty also flags POLLIN and reads
            // nothing), so wait instead of spinning.
            timespec ts = {0, 1000000L};
            nanosleep(&ts, nullptr);
        }
        simAdvance(now);
        const size_t took = simTakeOutput(buf, sizeof buf, now);
        unsent.insert(unsent.end(), buf, buf + took);
        if (!unsent.empty()) {
            const ssize_t w = write(fd, unsent.data(), unsent.size());
            if (w > 0) unsent.erase(unsent.begin(), unsent.begin() + w);
        }
        flushLog(log);
        if (faultOffRequested) {
            // The controller answers again from here on; the log says when,
            // on a line the frame readers pass over.
            faultOffRequested = 0;
            simSetFault(SimFault::None);
            if (log) std::fprintf(log, "# %lu fault cleared\n", static_cast<unsigned long>(now));
        }
    }
    flushLog(log);
}

// Removes the link only while it is still ours.
void removeLink(const char* linkPath, const char* slavePath) {
    char target[256];
    const ssize_t n = readlink(linkPath, target, sizeof target - 1);
    if (n <= 0) return;
    target[n] = 0;
    if (std::strcmp(target, slavePath) == 0) unlink(linkPath);
}

}  // namespace

int main(int argc, char** argv) {
    Args args;
    if (const int bad = parseArgs(argc, argv, &args)) return bad;

    int holdFd = -1;
    char slavePath[256] = "";
    const int fd = args.devicePath ? openDevice(args.devicePath)
                                   : openPty(args.linkPath, slavePath, sizeof slavePath, &holdFd);
    if (fd < 0) return 1;

    FILE* log = nullptr;
    if (args.logPath) {
        log = std::fopen(args.logPath, "w");
        if (!log) {
            std::fprintf(stderr, "lpgsim: cannot write %s\n", args.logPath);
            if (args.linkPath) unlink(args.linkPath);
            return 1;
        }
    }
    installSignals();
    simReset(args.config, 0);
    serve(fd, log);

    if (log) std::fclose(log);
    if (args.linkPath) removeLink(args.linkPath, slavePath);
    if (holdFd >= 0) close(holdFd);
    close(fd);
    return 0;
}
