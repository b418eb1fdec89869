// lpgctl plot benchmark (native, run by scripts/bench): rows a second read
// from CSV text and drawn, for a generated log of a day at the 50 ms rhythm.
//   plot_bench [rows]
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "shell/road_log.h"
#include "shell/road_plot.h"

namespace {

double seconds() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
    const long rows = argc > 1 ? atol(argv[1]) : 24L * 3600 * 20;
    std::string csv = csvHeader();
    for (long i = 0; i < rows; ++i) {
        RoadRow r = RoadRow();
        r.time = "2026-01-01T00:00:00.000+00:00";
        r.ms = uint32_t(i * 50);
        r.linkUp = r.hasValues = i % 5000 > 100;
        r.engineSpeed = int(800 + i * 7 % 3000);
        r.onGas = i % 2000 > 600;
        csv += csvRow(r);
    }
    RoadLog log;
    std::string error;
    const double t0 = seconds();
    if (!roadLogFromCsv(csv, &log, &error)) return std::fprintf(stderr, "%s\n", error.c_str()), 1;
    const double t1 = seconds();
    const Picture p = drawRoadPlot(log);
    const double t2 = seconds();
    std::printf("plot of %ld rows (%.0f MB): read %.2f s (%.0f rows/s), drawn %.3f s\n", rows,
                double(csv.size()) / 1e6, t1 - t0, rows / (t1 - t0), t2 - t1);
    return p.width > 0 ? 0 : 1;
}
