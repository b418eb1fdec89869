// lpgsim: serves the simulated controller on a pseudo-terminal or on an
// existing serial device, so that the program (native or under Wine) can
// talk to it over a real tty.
//
//   lpgsim [--link PATH | --device PATH] [--gen 1|3] [--variant N]
//          [--fault NAME] [--pace] [--latency MS] [--log FILE]
//
// Without --link or --device the pty's slave path is printed on the first
// line of stdout. Runs until SIGTERM or SIGINT, then exits with 0. SIGUSR1
// switches the fault off: the controller answers again, and the frame log
// gets a line "# MS fault cleared".
//
// --fault unplug:N is the USB-serial adapter pulled out and put back, so it
// is the tool's own fault, not the model's: once the controller has answered
// UnplugAfterReplies requests, the pty goes away (its master closed, the
// --link symlink removed) for N seconds, then a new pty comes back on the same
// link and the controller answers as before. SIGUSR1 puts it back at once.
// The frame log goes on across it, with lines "# MS unplugged" and
// "# MS plugged in".
//
// --latency MS is a USB-serial adapter's latency timer: the controller's
// bytes are held in the adapter until MS have passed since the first of
// them came, or until its buffer (AdapterBuffer bytes) is full, and only
// then reach the pty. The frame log still shows replies when they are made.
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

// Enough for a client to see the link up (a few polling ticks) before the
// adapter goes.
const int UnplugAfterReplies = 10;
const int LongestUnplugSeconds = 3600;
// What a common USB-serial chip hands on at once when its buffer fills: its
// 64-byte packet less the two status bytes.
const size_t AdapterBuffer = 62;
const int LongestLatencyMs = 5000;  // beyond any chip's timer (255 ms), for the tests

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
    std::fprintf(
        stderr,
        "usage: lpgsim [--link PATH | --device PATH] [--gen 1|3] [--variant N]\n"
        "              [--fault echo|silent|badsum|short|slow|drop:N|garbage|forget|unplug:N]\n"
        "              [--pace] [--latency MS] [--log FILE]\n"
        "unplug:N pulls the pty (and its --link) away for N seconds once the\n"
        "controller has answered %d requests, then brings it back on the same link.\n"
        "SIGUSR1 switches the fault off (an unplugged pty comes back at once).\n",
        UnplugAfterReplies);
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
    int unplugSeconds = 0;  // --fault unplug:N
    int latencyMs = 0;      // --latency MS
};

// The adapter's receive side of --latency: bytes held since heldSince.
struct Adapter {
    uint32_t latencyMs = 0;
    std::vector<uint8_t> held;
    uint32_t heldSince = 0;
};

// Moves what the adapter hands on to unsent: a full buffer at once, the rest
// when its timer has run out.
void passAdapter(Adapter* a, const uint8_t* bytes, size_t n, uint32_t now,
                 std::vector<uint8_t>* unsent) {
    if (a->latencyMs == 0) {
        unsent->insert(unsent->end(), bytes, bytes + n);
        return;
    }
    if (a->held.empty() && n > 0) a->heldSince = now;
    a->held.insert(a->held.end(), bytes, bytes + n);
    while (a->held.size() >= AdapterBuffer) {
        unsent->insert(unsent->end(), a->held.begin(), a->held.begin() + AdapterBuffer);
        a->held.erase(a->held.begin(), a->held.begin() + AdapterBuffer);
        a->heldSince = now;
    }
    if (!a->held.empty() && now - a->heldSince >= a->latencyMs) {
        unsent->insert(unsent->end(), a->held.begin(), a->held.end());
        a->held.clear();
    }
}

Adapter adapter;

// The model's faults, or the tool's own: unplug:N.
bool parseFault(const char* name, Args* args) {
    if (std::strncmp(name, "unplug:", 7) == 0)
        return parseInt(name + 7, 1, LongestUnplugSeconds, &args->unplugSeconds);
    return simParseFault(name, &args->config.fault, &args->config.dropAfter);
}

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
            if (!parseFault(argv[++i], args)) {
                std::fprintf(stderr, "lpgsim: unknown fault '%s'\n", argv[i]);
                return 2;
            }
        } else if (std::strcmp(a, "--latency") == 0 && hasValue) {
            if (!parseInt(argv[++i], 0, LongestLatencyMs, &args->latencyMs)) {
                std::fprintf(stderr, "lpgsim: --latency takes 0..%d ms\n", LongestLatencyMs);
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
    // Only a pty of our own can vanish and come back on the same path.
    if (args->unplugSeconds && !args->linkPath) {
        std::fprintf(stderr, "lpgsim: --fault unplug:N needs --link\n");
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
int openPty(char* slavePath, size_t cap, int* holdFd) {
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
    return fd;
}

// Where clients find the pty: the link, or the first line of stdout.
bool announce(const char* linkPath, const char* slavePath) {
    if (linkPath) return linkTo(linkPath, slavePath);
    std::printf("%s\n", slavePath);
    std::fflush(stdout);
    return true;
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

// What the client's port is: a pty of ours (its master, our own open slave
// and the link to it) or an existing device.
struct Line {
    const char* linkPath = nullptr;
    char slavePath[256] = "";
    int fd = -1;  // pty master or device
    int holdFd = -1;
};

// The adapter of --fault unplug:N, from plugged in to pulled out and back.
struct Unplug {
    enum Stage { Off, Waiting, Out, Back } stage = Off;
    uint32_t seconds = 0;
    uint32_t backAtMs = 0;  // while Out
};

void logNote(FILE* log, uint32_t now, const char* what) {
    if (!log) return;
    std::fprintf(log, "# %lu %s\n", static_cast<unsigned long>(now), what);
    std::fflush(log);
}

// Removes the link only while it is still ours.
void removeLink(const char* linkPath, const char* slavePath) {
    char target[256];
    const ssize_t n = readlink(linkPath, target, sizeof target - 1);
    if (n <= 0) return;
    target[n] = 0;
    if (std::strcmp(target, slavePath) == 0) unlink(linkPath);
}

void closeLine(Line* line) {
    if (line->linkPath) removeLink(line->linkPath, line->slavePath);
    if (line->holdFd >= 0) close(line->holdFd);
    if (line->fd >= 0) close(line->fd);
    line->fd = line->holdFd = -1;
}

// Bytes on their way are lost with the adapter; the client sees a hang-up.
// The pty it comes back as is made now, while the client still holds the old
// one, so it has a path of its own, as a replugged adapter may: the client
// has to follow the link, not keep the old path. False when no pty could be
// made.
bool pullOut(Line* line, Unplug* u, std::vector<uint8_t>* unsent, uint32_t now, FILE* log) {
    closeLine(line);
    unsent->clear();
    adapter.held.clear();
    simDiscardOutput();
    u->stage = Unplug::Out;
    u->backAtMs = now + u->seconds * 1000u;
    logNote(log, now, "unplugged");
    line->fd = openPty(line->slavePath, sizeof line->slavePath, &line->holdFd);
    return line->fd >= 0;
}

// False when the link could not be made.
bool plugIn(Line* line, Unplug* u, uint32_t now, FILE* log) {
    u->stage = Unplug::Back;
    if (!linkTo(line->linkPath, line->slavePath)) return false;
    logNote(log, now, "plugged in");
    return true;
}

// One step of the unplug fault; false when the adapter could not come back.
bool stepUnplug(Line* line, Unplug* u, std::vector<uint8_t>* unsent, uint32_t now, FILE* log) {
    if (u->stage == Unplug::Waiting && simState().repliesMade >= UnplugAfterReplies)
        return pullOut(line, u, unsent, now, log);
    if (u->stage == Unplug::Out && int32_t(now - u->backAtMs) >= 0)
        return plugIn(line, u, now, log);
    return true;
}

// Moves bytes between the tty and the model for up to a millisecond; false
// when the tty can't be polled.
bool exchange(int fd, std::vector<uint8_t>* unsent, uint32_t start) {
    uint8_t buf[512];
    uint32_t now = monotonicMs() - start;
    int waitMs = 1;
    uint32_t next;
    if (unsent->empty() && simNextRelease(&next) && int32_t(next - now) <= 0) waitMs = 0;
    pollfd p = {fd, POLLIN, 0};
    if (!unsent->empty()) p.events |= POLLOUT;
    const int r = poll(&p, 1, waitMs);
    if (r < 0 && errno != EINTR) return false;
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
    passAdapter(&adapter, buf, took, now, unsent);
    if (!unsent->empty()) {
        const ssize_t w = write(fd, unsent->data(), unsent->size());
        if (w > 0) unsent->erase(unsent->begin(), unsent->begin() + w);
    }
    return true;
}

// Serves the line until a signal asks to stop; false when an unplugged
// adapter could not come back.
bool serve(Line* line, Unplug* unplug, FILE* log) {
    const uint32_t start = monotonicMs();
    std::vector<uint8_t> unsent;  // released bytes the tty didn't take yet
    bool ok = true;
    while (ok && !stopRequested) {
        if (unplug->stage != Unplug::Out) {
            if (!exchange(line->fd, &unsent, start)) break;
        } else {
            // Unplugged: the engine runs on, nobody talks to it.
            timespec ts = {0, 1000000L};
            nanosleep(&ts, nullptr);
            simAdvance(monotonicMs() - start);
        }
        const uint32_t now = monotonicMs() - start;
        flushLog(log);
        if (faultOffRequested) {
            // The controller answers again from here on; the log says when,
            // on a line the frame readers pass over.
            faultOffRequested = 0;
            simSetFault(SimFault::None);
            if (unplug->stage == Unplug::Out) ok = plugIn(line, unplug, now, log);
            if (unplug->stage != Unplug::Off) unplug->stage = Unplug::Back;
            logNote(log, now, "fault cleared");
        }
        if (ok) ok = stepUnplug(line, unplug, &unsent, now, log);
    }
    flushLog(log);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    Args args;
    if (const int bad = parseArgs(argc, argv, &args)) return bad;

    Line line;
    line.linkPath = args.linkPath;
    if (args.devicePath) {
        line.fd = openDevice(args.devicePath);
    } else {
        line.fd = openPty(line.slavePath, sizeof line.slavePath, &line.holdFd);
        if (line.fd >= 0 && !announce(args.linkPath, line.slavePath)) closeLine(&line);
    }
    if (line.fd < 0) return 1;

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
    Unplug unplug;
    unplug.seconds = uint32_t(args.unplugSeconds);
    adapter.latencyMs = uint32_t(args.latencyMs);
    if (unplug.seconds) unplug.stage = Unplug::Waiting;
    const bool ok = serve(&line, &unplug, log);

    if (log) std::fclose(log);
    closeLine(&line);
    return ok ? 0 : 1;
}
