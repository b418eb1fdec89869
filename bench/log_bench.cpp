// lpgctl log benchmark (native, run by scripts/bench): rows per second
// against lpgsim pacing its answers at 9600 baud on a pty, beside the limits
// of the readings page's poll pattern: the 50 ms rhythm, and the wire when
// the ticks follow each other without a pause.
//   log_bench [seconds]
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "cli/road_log.h"
#include "link/link.h"
#include "link/poll_plan.h"

namespace {

// 10 bits a byte at 9600 baud.
const double MsPerByte = 10 * 1000.0 / 9600;

// Bytes on the line in one tick of the pattern: status and Live every tick,
// ConfigA and ConfigB every fourth; requests are 4 bytes each.
struct TickBytes {
    double plain, slow;
};
// A real line carries both directions at 9600 baud; lpgsim on a pty paces
// only its replies, the requests arrive at once.
const TickBytes OnTheLine = {8 + 15, 8 + 15 + 18 + 20};
const TickBytes RepliesOnly = {4 + 11, 4 + 11 + 14 + 16};

double meanTickMs(const TickBytes& b) { return (3 * b.plain + b.slow) / 4 * MsPerByte; }
// Rows a second at the 50 ms rhythm: a tick whose frames take longer is
// followed at once by the next, as a window timer's are.
double rhythmLimit(const TickBytes& b) {
    auto tick = [](double bytes) { return bytes * MsPerByte > 50 ? bytes * MsPerByte : 50; };
    return 4000 / (3 * tick(b.plain) + tick(b.slow));
}

double seconds() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

// lpgsim, pacing, on a pty linked at path; its pid, or -1.
pid_t startLpgsim(const std::string& tool, const std::string& path) {
    const pid_t pid = fork();
    if (pid == 0) {
        execl(tool.c_str(), tool.c_str(), "--link", path.c_str(), "--pace", (char*)nullptr);
        _exit(127);
    }
    struct stat st;
    for (int i = 0; i < 300 && lstat(path.c_str(), &st) != 0; ++i) usleep(10000);
    return lstat(path.c_str(), &st) == 0 ? pid : -1;
}

// Rows a second as lpgctl log writes them, at the page's rhythm.
double rhythmRate(unsigned secs) {
    static volatile std::sig_atomic_t never = 0;
    FILE* sink = fopen("/dev/null", "wb");
    bool failed = false;
    const double t0 = seconds();
    const long rows = runRoadLog(RoadLogRun{sink, nullptr, secs, &never, true}, &failed);
    const double t = seconds() - t0;
    fclose(sink);
    return rows / t;
}

// Rows a second with the ticks back to back: the poll, the row, no pause.
double backToBackRate(unsigned secs) {
    FILE* sink = fopen("/dev/null", "wb");
    const double t0 = seconds();
    long rows = 0;
    unsigned slowTicks = 0;
    while (seconds() - t0 < secs) {
        runPollPlan(ReadingsPoll, PauseNone, &slowTicks);
        fputs(csvRow(roadRowFromStores(0, isoLocalTime(wallClockMs()))).c_str(), sink);
        fflush(sink);
        ++rows;
    }
    const double t = seconds() - t0;
    fclose(sink);
    return rows / t;
}

}  // namespace

int main(int argc, char** argv) {
    const unsigned secs = argc > 1 ? unsigned(atoi(argv[1])) : 10;
    std::string self = argv[0];
    const std::string dir =
        self.rfind('/') == std::string::npos ? "." : self.substr(0, self.rfind('/'));
    const std::string link = dir + "/log_bench_pty." + std::to_string(getpid());
    const pid_t sim = startLpgsim(dir + "/lpgsim", link);
    if (sim < 0) {
        std::fprintf(stderr, "log_bench: lpgsim did not start beside %s\n", argv[0]);
        return 1;
    }
    useLinkBackend(&posixPortOps);
    selectPort(link.c_str(), 0);
    pollStatus();  // the echo probe's wait, outside the measurement
    const double rhythm = rhythmRate(secs);
    const double free = backToBackRate(secs);
    closePort();
    kill(sim, SIGTERM);
    waitpid(sim, nullptr, 0);
    std::printf("                rows/s   limit: on a 9600-baud line   lpgsim (replies paced)\n");
    std::printf("log (50 ms)     %6.1f          %6.1f                 %6.1f\n", rhythm,
                rhythmLimit(OnTheLine), rhythmLimit(RepliesOnly));
    std::printf("back to back    %6.1f          %6.1f                 %6.1f\n", free,
                1000 / meanTickMs(OnTheLine), 1000 / meanTickMs(RepliesOnly));
    return 0;
}
