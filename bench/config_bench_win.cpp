// Configuration page benchmark (run by scripts/bench under Wine, with lpgsim
// pacing its answers at 9600 baud on COM1): the tick rate of the page beside
// the rate the wire allows, and the CPU time a refresh of each configuration
// page costs.
//   config_bench.exe FRAMELOG [seconds]
#include "bench/bench_common_win.h"
#include "config/config_page.h"
#include "config/options_page.h"
#include "config/page_controls_win.h"
#include "res/resource.h"

namespace {

// One tick asks for blocks 1 to 4: four 4-byte requests and 4 + 11 + 14 + 16
// answer bytes.
const double WireTick = (4 * 4 + 4 + 11 + 14 + 16) * MsPerByte;

void reportTickRate(double rate, const char* frameLog) {
    const double limit = 1000.0 / WireTick;
    if (rate > 0)
        std::printf(
            "configuration page  %5.1f ticks/s   wire limit %5.1f ticks/s (%.1f ms a tick)"
            "   ratio %.2f (target 0.90)\n",
            rate, limit, WireTick, rate / limit);
    else
        std::printf("configuration page: too few status requests in %s\n", frameLog);
    // On a pty only lpgsim's answers are paced; the requests arrive at once.
    std::printf("                    answers alone take %.1f ms a tick (%.1f ticks/s)\n",
                45 * MsPerByte, 1000.0 / (45 * MsPerByte));
}

// CPU time of one refresh of the page shown now, from the stores as they are.
double refreshCpuMs(PageView (*view)(HWND)) {
    return costPerCall(500, [view] { applyView(currentPage, view(currentPage)); }).cpuMs;
}

PageView configView(HWND) { return configRefreshView(currentStores()); }
PageView optionsView(HWND page) {
    const int jumpItems =
        static_cast<int>(SendDlgItemMessageA(page, IDC_OPT_JUMP, CB_GETCOUNT, 0, 0));
    return optionsRefreshView(currentStores(), jumpItems);
}

}  // namespace

int main(int argc, char** argv) {
    BenchArgs args;
    if (!readBenchArgs(argc, argv, "config_bench", &args)) return 2;
    if (!startMainWindow()) return 1;
    sendMenuCommand(IDM_CONFIGURATION);
    pumpMessagesFor(2000);  // link up, the page polling
    reportTickRate(requestRate(args.frameLog, StatusRequest, args.seconds), args.frameLog);

    const double configCpu = refreshCpuMs(configView);
    sendMenuCommand(IDM_OPTIONS);
    pumpMessagesFor(500);
    const double optionsCpu = refreshCpuMs(optionsView);
    std::printf("refresh CPU         %6.3f ms configuration, %6.3f ms options per tick\n",
                configCpu, optionsCpu);
    DestroyWindow(mainWindow);
    return 0;
}
