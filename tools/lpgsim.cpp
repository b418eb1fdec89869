// lpgsim: serves the simulated controller on a pseudo-terminal or on an
// existing serial device, so that the program (native or under Wine) can
// talk to it over a real tty.
//
//   lpgsim [--link PATH | --device PATH] [--gen 1|3] [--variant N]
//          [--fault NAME] [--pace] [--log FILE]
//
// Without --link or --device the pty's slave path is printed on the first
// line of stdout. Runs until SIGTERM or SIGINT, then exits with 0.
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

void onSignal(int) { stopRequested = 1; }

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

}  // namespace

int main(int argc, char** argv) {
    const char* linkPath = nullptr;
    const char* devicePath = nullptr;
    const char* logPath = nullptr;
    SimConfig config;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        bool hasValue = i + 1 < argc;
        if (std::strcmp(a, "--link") == 0 && hasValue) {
            linkPath = argv[++i];
        } else if (std::strcmp(a, "--device") == 0 && hasValue) {
            devicePath = argv[++i];
        } else if (std::strcmp(a, "--log") == 0 && hasValue) {
            logPath = argv[++i];
        } else if (std::strcmp(a, "--gen") == 0 && hasValue) {
            int g = 0;
            if (!parseInt(argv[++i], 1, 3, &g) || g == 2) {
                std::fprintf(stderr, "lpgsim: --gen takes 1 or 3\n");
                return 2;
            }
            config.generation = g;
        } else if (std::strcmp(a, "--variant") == 0 && hasValue) {
            if (!parseInt(argv[++i], 0, 31, &config.variant)) {
                std::fprintf(stderr, "lpgsim: --variant takes 0..31\n");
                return 2;
            }
        } else if (std::strcmp(a, "--fault") == 0 && hasValue) {
            if (!simParseFault(argv[++i], &config.fault, &config.dropAfter)) {
                std::fprintf(stderr, "lpgsim: unknown fault '%s'\n", argv[i]);
                return 2;
            }
        } else if (std::strcmp(a, "--pace") == 0) {
            config.pace = true;
        } else {
            usage();
            return 2;
        }
    }
    if (linkPath && devicePath) {
        std::fprintf(stderr, "lpgsim: --link and --device exclude each other\n");
        return 2;
    }

    int fd = -1;      // the side we serve
    int holdFd = -1;  // our own open slave, so client closes never hang up the pty
    char slavePath[256] = "";
    if (devicePath) {
        fd = open(devicePath, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            std::fprintf(stderr, "lpgsim: cannot open %s: %s\n", devicePath, std::strerror(errno));
            return 1;
        }
        if (!makeRaw(fd)) std::fprintf(stderr, "lpgsim: %s: cannot set raw mode\n", devicePath);
    } else {
        fd = posix_openpt(O_RDWR | O_NOCTTY);
        if (fd < 0 || grantpt(fd) != 0 || unlockpt(fd) != 0 || !ptsname(fd)) {
            std::fprintf(stderr, "lpgsim: cannot create a pty: %s\n", std::strerror(errno));
            return 1;
        }
        std::snprintf(slavePath, sizeof slavePath, "%s", ptsname(fd));
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        fcntl(fd, F_SETFD, FD_CLOEXEC);
        // Raw from the start: the default line discipline would echo our
        // requests back and wait for new lines.
        holdFd = open(slavePath, O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (holdFd < 0 || !makeRaw(holdFd)) {
            std::fprintf(stderr, "lpgsim: cannot set up %s\n", slavePath);
            return 1;
        }
        if (linkPath) {
            struct stat st;
            if (lstat(linkPath, &st) == 0) {
                if (!S_ISLNK(st.st_mode)) {
                    std::fprintf(stderr, "lpgsim: %s exists and is not a symlink\n", linkPath);
                    return 1;
                }
                unlink(linkPath);  // a stale link from an earlier run
            }
            if (symlink(slavePath, linkPath) != 0) {
                std::fprintf(stderr, "lpgsim: cannot link %s: %s\n", linkPath,
                             std::strerror(errno));
                return 1;
            }
        } else {
            std::printf("%s\n", slavePath);
            std::fflush(stdout);
        }
    }

    FILE* log = nullptr;
    if (logPath) {
        log = std::fopen(logPath, "w");
        if (!log) {
            std::fprintf(stderr, "lpgsim: cannot write %s\n", logPath);
            if (linkPath) unlink(linkPath);
            return 1;
        }
    }

    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);

    const uint32_t start = monotonicMs();
    simReset(config, 0);
    std::vector<uint8_t> unsent;  // released bytes the tty didn't take yet
    uint8_t buf[512];
    while (!stopRequested) {
        uint32_t now = monotonicMs() - start;
        int waitMs = 1;
        uint32_t next;
        if (unsent.empty() && simNextRelease(&next) && int32_t(next - now) <= 0) waitMs = 0;
        pollfd p = {fd, POLLIN, 0};
        if (!unsent.empty()) p.events |= POLLOUT;
        int r = poll(&p, 1, waitMs);
        if (r < 0 && errno != EINTR) break;
        now = monotonicMs() - start;
        bool gotBytes = false;
        if (r > 0 && (p.revents & POLLIN)) {
            ssize_t k = read(fd, buf, sizeof buf);
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
        size_t took = simTakeOutput(buf, sizeof buf, now);
        unsent.insert(unsent.end(), buf, buf + took);
        if (!unsent.empty()) {
            ssize_t w = write(fd, unsent.data(), unsent.size());
            if (w > 0) unsent.erase(unsent.begin(), unsent.begin() + w);
        }
        flushLog(log);
    }

    flushLog(log);
    if (log) std::fclose(log);
    if (linkPath) {
        // remove the link only while it is still ours
        char target[256];
        ssize_t n = readlink(linkPath, target, sizeof target - 1);
        if (n > 0) {
            target[n] = 0;
            if (std::strcmp(target, slavePath) == 0) unlink(linkPath);
        }
    }
    if (holdFd >= 0) close(holdFd);
    close(fd);
    return 0;
}
