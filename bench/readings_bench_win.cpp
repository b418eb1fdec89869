// Readings page benchmark (run by scripts/bench under Wine, with lpgsim
// pacing its answers at 9600 baud on COM1): the tick rate the page achieves
// and the CPU time drawReadings costs, each beside its limit.
//   readings_bench.exe FRAMELOG [seconds]
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "link/link.h"
#include "readings/readings_win.h"
#include "shell/shell_win.h"
#include "tools/win_run.h"

// Millisecond stamps of the status requests in lpgsim's frame log.
static std::vector<unsigned long> statusRequestTimes(const char* unixPath) {
    const std::string path = wineDrivePath(unixPath);
    std::vector<unsigned long> times;
    FILE* f = std::fopen(path.c_str(), "r");
    if (!f) return times;
    char line[256];
    while (std::fgets(line, sizeof line, f)) {
        unsigned long ms;
        char rest[200];
        if (std::sscanf(line, "%lu > %199[^\n]", &ms, rest) == 2 &&
            std::string(rest) == "65 01 01 67")
            times.push_back(ms);
    }
    std::fclose(f);
    return times;
}

static double threadCpuMs() {
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    auto ms = [](const FILETIME& t) {
        return ((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) /
               10000.0;
    };
    return ms(kernel) + ms(user);
}

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: readings_bench FRAMELOG [seconds]\n");
        return 2;
    }
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 10;
    LinkPort = &win32PortOps;
    InitCommonControls();
    if (!createMainWindow(GetModuleHandleA(nullptr), SW_SHOW)) return 1;
    pumpMessagesFor(2000);  // link up, first configuration reads
    const size_t before = statusRequestTimes(argv[1]).size();
    pumpMessagesFor(seconds * 1000);
    std::vector<unsigned long> times = statusRequestTimes(argv[1]);
    times.erase(times.begin(),
                times.begin() + static_cast<long>(before < times.size() ? before : times.size()));

    // Wire time of one tick at 9600 baud, 10 bits a byte: status 4+4 and
    // Live 4+11 every tick, ConfigA 4+14 and ConfigB 4+16 every fourth.
    const double msPerByte = 10.0 / 9.6;
    const double plainTick = (8 + 15) * msPerByte;
    const double slowTick = (8 + 15 + 18 + 20) * msPerByte;
    const double meanWire = (3 * plainTick + slowTick) / 4;
    if (times.size() > 1) {
        const double span = (times.back() - times.front()) / 1000.0;
        const double rate = (times.size() - 1) / span;
        std::printf(
            "tick rate       %6.1f ticks/s   limit %5.1f ticks/s (50 ms timer); wire-bound limit "
            "%5.1f ticks/s\n",
            rate, 1000.0 / 50, 1000.0 / (meanWire > 50 ? meanWire : 50));
        std::printf(
            "mean tick       %6.1f ms        wire time %5.1f ms plain, %5.1f ms every fourth tick "
            "(mean %.1f)\n",
            1000.0 / rate, plainTick, slowTick, meanWire);
    } else {
        std::printf("tick rate: no status requests seen in %s\n", argv[1]);
    }

    // CPU cost of one drawReadings on the page as it stands.
    const int calls = 500;
    LARGE_INTEGER f, t0, t1;
    QueryPerformanceFrequency(&f);
    const double cpu0 = threadCpuMs();
    QueryPerformanceCounter(&t0);
    for (int i = 0; i < calls; ++i) drawReadings();
    QueryPerformanceCounter(&t1);
    const double cpu = (threadCpuMs() - cpu0) / calls;
    const double wall = (t1.QuadPart - t0.QuadPart) * 1000.0 / f.QuadPart / calls;
    std::printf(
        "drawReadings    %6.3f ms CPU, %6.3f ms wall per call; limit %5.1f ms (50 ms tick less its "
        "mean wire time)\n",
        cpu, wall, 50 - meanWire);
    DestroyWindow(mainWindow);
    return 0;
}
