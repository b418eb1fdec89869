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
#include "readings/dashboard.h"

namespace {

// 10 bits a byte at 9600 baud.
const double MsPerByte = 10 * 1000.0 / 9600;
// Status 4+4 and Live 4+11 every tick, ConfigA 4+14 and ConfigB 4+16 every fourth.
const double PlainTickMs = (8 + 15) * MsPerByte;
const double SlowTickMs = (8 + 15 + 18 + 20) * MsPerByte;
const double MeanWireMs = (3 * PlainTickMs + SlowTickMs) / 4;
// The rhythm's own limit: a tick that takes longer than 50 ms (the fourth
// one's frames do) is followed at once by the next, as a window timer's are.
double rhythmLimit() {
    auto tick = [](double wire) { return wire > 50 ? wire : 50; };
    return 4000 / (3 * tick(PlainTickMs) + tick(SlowTickMs));
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
    while (seconds() - t0 < secs) {
        readingsPollTick();
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
    LinkPort = &posixPortOps;
    selectPort(link.c_str(), 0);
    pollStatus();  // the echo probe's wait, outside the measurement
    const double rhythm = rhythmRate(secs);
    const double free = backToBackRate(secs);
    closePort();
    kill(sim, SIGTERM);
    waitpid(sim, nullptr, 0);
    std::printf(
        "log rows/s      %6.1f   limit %5.1f (50 ms rhythm; every fourth tick's frames take %.1f "
        "ms)\n",
        rhythm, rhythmLimit(), SlowTickMs);
    std::printf(
        "back to back    %6.1f   wire limit %5.1f (%.1f ms of frames a tick at 9600 baud)\n", free,
        1000.0 / MeanWireMs, MeanWireMs);
    return 0;
}
