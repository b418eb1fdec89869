// Configuration page benchmark (run by scripts/bench under Wine, with lpgsim
// pacing its answers at 9600 baud on COM1): the tick rate of the page beside
// the rate the wire allows, and the CPU time a refresh of each configuration
// page costs.
//   config_bench.exe FRAMELOG [seconds]
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "config/config_page.h"
#include "config/options_page.h"
#include "config/page_controls_win.h"
#include "link/link.h"
#include "res/resource.h"
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

// Ticks per second over the status requests lpgsim logged during the run.
static double tickRate(const char* log, int seconds) {
    const size_t before = statusRequestTimes(log).size();
    pumpMessagesFor(static_cast<DWORD>(seconds) * 1000);
    std::vector<unsigned long> times = statusRequestTimes(log);
    if (times.size() < before + 2) return 0;
    const double span = (times.back() - times[before]) / 1000.0;
    return (times.size() - before - 1) / span;
}

// CPU time of one refresh of the page shown now, from the stores as they are.
static double refreshCpuMs(PageView (*view)(HWND)) {
    const int calls = 500;
    const double cpu0 = threadCpuMs();
    for (int i = 0; i < calls; ++i) applyView(currentPage, view(currentPage));
    return (threadCpuMs() - cpu0) / calls;
}

static PageView configView(HWND) { return configRefreshView(currentStores()); }
static PageView optionsView(HWND page) {
    const int jumpItems =
        static_cast<int>(SendDlgItemMessageA(page, IDC_OPT_JUMP, CB_GETCOUNT, 0, 0));
    return optionsRefreshView(currentStores(), jumpItems);
}

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: config_bench FRAMELOG [seconds]\n");
        return 2;
    }
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 10;
    LinkPort = &win32PortOps;
    InitCommonControls();
    if (!createMainWindow(GetModuleHandleA(nullptr), SW_SHOW)) return 1;
    SendMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(IDM_CONFIGURATION, 0), 0);
    pumpMessagesFor(2000);  // link up, the page polling
    const double rate = tickRate(argv[1], seconds);

    // One tick asks for blocks 1 to 4: four 4-byte requests and 4 + 11 + 14
    // + 16 answer bytes, 10 bits a byte at 9600 baud.
    const double msPerByte = 10.0 / 9.6;
    const double wireTick = (4 * 4 + 4 + 11 + 14 + 16) * msPerByte;
    const double limit = 1000.0 / wireTick;
    if (rate > 0)
        std::printf(
            "configuration page  %5.1f ticks/s   wire limit %5.1f ticks/s (%.1f ms a tick)"
            "   ratio %.2f (target 0.90)\n",
            rate, limit, wireTick, rate / limit);
    else
        std::printf("configuration page: too few status requests in %s\n", argv[1]);
    // On a pty only lpgsim's answers are paced; the requests arrive at once.
    std::printf("                    answers alone take %.1f ms a tick (%.1f ticks/s)\n",
                45 * msPerByte, 1000.0 / (45 * msPerByte));

    const double configCpu = refreshCpuMs(configView);
    SendMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(IDM_OPTIONS, 0), 0);
    pumpMessagesFor(500);
    const double optionsCpu = refreshCpuMs(optionsView);
    std::printf("refresh CPU         %6.3f ms configuration, %6.3f ms options per tick\n",
                configCpu, optionsCpu);
    DestroyWindow(mainWindow);
    return 0;
}
