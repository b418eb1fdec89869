// Oscilloscope benchmark (run by scripts/bench under Wine, with lpgsim
// pacing its answers at 9600 baud on COM1): the samples per second the page
// acquires, beside the 20 ms timer and the wire, and the CPU time of drawing
// one sample.
//   scope_bench.exe FRAMELOG [seconds]
#include <windows.h>
#include <commctrl.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "link/link.h"
#include "res/resource.h"
#include "scope/scope.h"
#include "scope/scope_page_win.h"
#include "shell/shell_win.h"
#include "tools/win_run.h"

// Millisecond stamps of the live block requests in lpgsim's frame log: one
// per acquired sample.
static std::vector<unsigned long> liveRequestTimes(const char* unixPath) {
    const std::string path = wineDrivePath(unixPath);
    std::vector<unsigned long> times;
    FILE* f = std::fopen(path.c_str(), "r");
    if (!f) return times;
    char line[256];
    while (std::fgets(line, sizeof line, f)) {
        unsigned long ms;
        char rest[200];
        if (std::sscanf(line, "%lu > %199[^\n]", &ms, rest) == 2 &&
            std::string(rest) == "65 02 02 69")
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

// Sample rate over `seconds` of the page running, from the frame log.
static double sampleRate(const char* log, int seconds) {
    const size_t before = liveRequestTimes(log).size();
    pumpMessagesFor(static_cast<DWORD>(seconds) * 1000);
    std::vector<unsigned long> times = liveRequestTimes(log);
    times.erase(times.begin(),
                times.begin() + static_cast<long>(before < times.size() ? before : times.size()));
    if (times.size() < 2) return 0;
    return (times.size() - 1) / ((times.back() - times.front()) / 1000.0);
}

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: scope_bench FRAMELOG [seconds]\n");
        return 2;
    }
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 10;
    LinkPort = &win32PortOps;
    InitCommonControls();
    if (!createMainWindow(GetModuleHandleA(nullptr), SW_SHOW)) return 1;
    pumpMessagesFor(2000);  // link up on the readings page
    SendMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(IDM_SIZE_1024, 0), 0);
    SendMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(IDM_SCOPE, 0), 0);
    pumpMessagesFor(1000);

    // A sample moves status 4 + 4 and live 4 + 11 bytes, 10 bits each.
    const double msPerByte = 10.0 / 9.6;
    const double wireMs = 23 * msPerByte;
    const double wireLimit = 1000.0 / wireMs;
    const double timerLimit = 1000.0 / ScopeInterval;
    const double rate = sampleRate(argv[1], seconds);
    if (rate <= 0) {
        std::printf("samples: no live requests seen in %s\n", argv[1]);
        return 1;
    }
    std::printf(
        "samples         %6.1f /s  (%.2f of the wire limit %.1f /s: 23 bytes, %.2f ms; "
        "timer limit %.1f /s)\n",
        rate, rate / wireLimit, wireLimit, wireMs, timerLimit);
    std::printf("mean tick       %6.2f ms\n", 1000.0 / rate);
    // Windows rounds a 20 ms window timer up to whole ticks of its 15.625 ms
    // clock, so the timer, not the wire, sets the pace there.
    const double windowsTick = 15.625;
    const double windowsPeriod = windowsTick * std::ceil(ScopeInterval / windowsTick);
    std::printf(
        "on Windows      %6.1f /s  (timer fires every %.2f ms at the default 15.6 ms "
        "resolution; %.2f of the wire limit)\n",
        1000.0 / windowsPeriod, windowsPeriod, 1000.0 / windowsPeriod / wireLimit);

    // Ticks back to back, without the timer: what this rig's line allows.
    // lpgsim paces its 15 answer bytes; the 8 request bytes cross the pty
    // at once, so a tick here is shorter than on a real 9600 baud line.
    KillTimer(currentPage, 1);
    LARGE_INTEGER f, t0, t1;
    QueryPerformanceFrequency(&f);
    const int ticks = 100;
    QueryPerformanceCounter(&t0);
    for (int i = 0; i < ticks; ++i) SendMessageA(currentPage, WM_TIMER, 1, 0);
    QueryPerformanceCounter(&t1);
    const double tickMs = (t1.QuadPart - t0.QuadPart) * 1000.0 / f.QuadPart / ticks;
    std::printf(
        "back to back    %6.1f /s  (%.2f ms a tick; answers paced, requests not, so the wire "
        "here is %.2f ms)\n",
        1000.0 / tickMs, tickMs, 15 * msPerByte);

    // CPU cost of drawing one sample and the values on the page as it stands.
    const int calls = 2000;
    const double cpu0 = threadCpuMs();
    QueryPerformanceCounter(&t0);
    for (int i = 0; i < calls; ++i) drawScopeSampleOn(currentPage);
    QueryPerformanceCounter(&t1);
    const double cpu = (threadCpuMs() - cpu0) / calls;
    const double wall = (t1.QuadPart - t0.QuadPart) * 1000.0 / f.QuadPart / calls;
    std::printf(
        "one sample      %6.3f ms CPU, %6.3f ms wall to draw (beside %.2f ms on the wire and "
        "the %d ms timer)\n",
        cpu, wall, wireMs, static_cast<int>(ScopeInterval));
    DestroyWindow(mainWindow);
    return 0;
}
