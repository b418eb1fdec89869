// Readings page benchmark (run by scripts/bench under Wine, with lpgsim
// pacing its answers at 9600 baud on COM1): the tick rate the page achieves
// and the CPU time drawReadings costs, each beside its limit.
// With a third argument, a network port (rfc2217://HOST:PORT) in place of
// COM1, for the round-trip benchmark (bench/remote_bench.sh).
//   readings_bench.exe FRAMELOG [seconds [PORT]]
#include "bench/bench_common_win.h"
#include "link/port_net.h"
#include "readings/readings_win.h"

namespace {

// Wire time of one tick: status 4+4 and Live 4+11 every tick, ConfigA 4+14
// and ConfigB 4+16 every fourth.
const double PlainTick = (8 + 15) * MsPerByte;
const double SlowTick = (8 + 15 + 18 + 20) * MsPerByte;
const double MeanWire = (3 * PlainTick + SlowTick) / 4;

void reportTickRate(double rate, const char* frameLog) {
    if (rate <= 0) {
        std::printf("tick rate: no status requests seen in %s\n", frameLog);
        return;
    }
    std::printf(
        "tick rate       %6.1f ticks/s   limit %5.1f ticks/s (50 ms timer); wire-bound limit "
        "%5.1f ticks/s\n",
        rate, 1000.0 / 50, 1000.0 / (MeanWire > 50 ? MeanWire : 50));
    std::printf(
        "mean tick       %6.1f ms        wire time %5.1f ms plain, %5.1f ms every fourth tick "
        "(mean %.1f)\n",
        1000.0 / rate, PlainTick, SlowTick, MeanWire);
}

// CPU cost of one drawReadings on the page as it stands.
void reportDrawCost() {
    const CallCost c = costPerCall(500, [] { drawReadings(); });
    std::printf(
        "drawReadings    %6.3f ms CPU, %6.3f ms wall per call; limit %5.1f ms (50 ms tick less its "
        "mean wire time)\n",
        c.cpuMs, c.wallMs, 50 - MeanWire);
}

}  // namespace

int main(int argc, char** argv) {
    BenchArgs args;
    if (!readBenchArgs(argc, argv, "readings_bench", &args)) return 2;
    if (!startMainWindow()) return 1;
    if (argc > 3) {
        useLinkBackend(&netPortOps);
        selectPort(argv[3], 0);
    }
    pumpMessagesFor(2000);  // link up, first configuration reads
    reportTickRate(requestRate(args.frameLog, StatusRequest, args.seconds), args.frameLog);
    reportDrawCost();
    DestroyWindow(mainWindow);
    return 0;
}
