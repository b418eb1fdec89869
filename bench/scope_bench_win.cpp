// Oscilloscope benchmark (run by scripts/bench under Wine, with lpgsim
// pacing its answers at 9600 baud on COM1): the samples per second the page
// acquires, beside the 20 ms timer and the wire, and the CPU time of drawing
// one sample.
//   scope_bench.exe FRAMELOG [seconds]
#include <cmath>

#include "bench/bench_common_win.h"
#include "res/resource.h"
#include "scope/scope.h"
#include "scope/scope_page_win.h"
#include "shell/dialog_win.h"
#include "shell/pages_win.h"

namespace {

// A sample moves status 4 + 4 and live 4 + 11 bytes.
const double WireMs = 23 * MsPerByte;
const double WireLimit = 1000.0 / WireMs;

void reportSampleRate(double rate) {
    const double timerLimit = 1000.0 / ScopeInterval;
    std::printf(
        "samples         %6.1f /s  (%.2f of the wire limit %.1f /s: 23 bytes, %.2f ms; "
        "timer limit %.1f /s)\n",
        rate, rate / WireLimit, WireLimit, WireMs, timerLimit);
    std::printf("mean tick       %6.2f ms\n", 1000.0 / rate);
    // Windows rounds a 20 ms window timer up to whole ticks of its 15.625 ms
    // clock, so the timer, not the wire, sets the pace there.
    const double windowsTick = 15.625;
    const double windowsPeriod = windowsTick * std::ceil(ScopeInterval / windowsTick);
    std::printf(
        "on Windows      %6.1f /s  (timer fires every %.2f ms at the default 15.6 ms "
        "resolution; %.2f of the wire limit)\n",
        1000.0 / windowsPeriod, windowsPeriod, 1000.0 / windowsPeriod / WireLimit);
}

// Ticks back to back, without the timer: what this rig's line allows.
// lpgsim paces its 15 answer bytes; the 8 request bytes cross the pty at
// once, so a tick here is shorter than on a real 9600 baud line.
void reportBackToBack() {
    KillTimer(currentPage, PagePollTimerId);
    const double tickMs = costPerCall(100, [] { pageHooks(PageScope).tick(currentPage); }).wallMs;
    std::printf(
        "back to back    %6.1f /s  (%.2f ms a tick; answers paced, requests not, so the wire "
        "here is %.2f ms)\n",
        1000.0 / tickMs, tickMs, 15 * MsPerByte);
}

// CPU cost of drawing one sample and the values on the page as it stands.
void reportDrawCost() {
    const CallCost c = costPerCall(2000, [] { drawScopeSampleOn(currentPage); });
    std::printf(
        "one sample      %6.3f ms CPU, %6.3f ms wall to draw (beside %.2f ms on the wire and "
        "the %d ms timer)\n",
        c.cpuMs, c.wallMs, WireMs, static_cast<int>(ScopeInterval));
}

}  // namespace

int main(int argc, char** argv) {
    BenchArgs args;
    if (!readBenchArgs(argc, argv, "scope_bench", &args)) return 2;
    if (!startMainWindow()) return 1;
    pumpMessagesFor(2000);  // link up on the readings page
    sendMenuCommand(IDM_SIZE_1024);
    sendMenuCommand(IDM_SCOPE);
    pumpMessagesFor(1000);
    const double rate = requestRate(args.frameLog, LiveRequest, args.seconds);
    if (rate <= 0) {
        std::printf("samples: no live requests seen in %s\n", args.frameLog);
        return 1;
    }
    reportSampleRate(rate);
    reportBackToBack();
    reportDrawCost();
    DestroyWindow(mainWindow);
    return 0;
}
