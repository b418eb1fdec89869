// Road tests and recordings: log, plot and record.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "cli/commands.h"
#include "cli/connect.h"
#include "cli/errors.h"
#include "cli/road_log.h"
#include "cli/road_options.h"
#include "cli/road_plot.h"
#include "link/link.h"
#include "sim/replay.h"

namespace {

volatile std::sig_atomic_t interrupted = 0;
void onInterrupt(int) { interrupted = 1; }

int drawPlot(const RoadLog& log, const char* path) {
    std::string error;
    if (!writePng(path, drawRoadPlot(log), &error)) return fail(ExitFailed, "%s", error.c_str());
    return ExitOk;
}

// Polls until --seconds have passed or Ctrl+C, the rows to out (may be
// nullptr) and kept in *csv.
int pollRoad(FILE* out, const RoadOptions& o, std::string* csv) {
    interrupted = 0;
    std::signal(SIGINT, onInterrupt);
    bool writeFailed = false;
    runRoadLog(RoadLogRun{out, csv, uint32_t(o.seconds), &interrupted, true}, &writeFailed);
    std::signal(SIGINT, SIG_DFL);
    closePort();
    if (writeFailed) return fail(ExitFailed, "%s: could not write a row", o.out ? o.out : "output");
    return ExitOk;
}

}  // namespace

int runLog(const CliArgs& args) {
    RoadOptions o;
    if (!readRoadOptions("log", args, &o)) return ExitUsage;
    // The port first: a wrong port leaves no empty log behind.
    int code = openPortOf(args);
    if (code != ExitOk) return code;
    FILE* out = o.out ? fopen(o.out, "wb") : stdout;
    if (!out) return closePort(), fail(ExitFailed, "%s: %s", o.out, strerror(errno));
    std::string csv;
    code = pollRoad(out, o, &csv);
    if (out != stdout) fclose(out);
    if (code != ExitOk || !o.plot) return code;
    RoadLog log;
    std::string error;
    if (!roadLogFromCsv(csv, &log, &error))
        return fail(ExitFailed, "nothing to draw: %s", error.c_str());
    return drawPlot(log, o.plot);
}

int runPlot(const CliArgs& args) {
    RoadOptions o;
    if (!readRoadOptions("plot", args, &o)) return ExitUsage;
    RoadLog log;
    std::string error;
    if (!readRoadLog(o.input, &log, &error)) return fail(ExitBadFile, "%s", error.c_str());
    return drawPlot(log, o.out);
}

int runRecord(const CliArgs& args) {
    RoadOptions o;
    if (!readRoadOptions("record", args, &o)) return ExitUsage;
    int code = openController(args);
    if (code != ExitOk) return code;
    FILE* f = fopen(o.input, "wb");
    if (!f) return fail(ExitFailed, "%s: %s", o.input, strerror(errno));
    recordingStart(LinkPort, f, portLabel().c_str(), isoLocalTime(wallClockMs()).c_str());
    LinkPort = &recordingPortOps;
    // The whole controller once, so a replay answers every block read (the
    // settings and service data too), then the drive as the readings page
    // polls it.
    pollStatus();
    readLiveBlock();
    readConfigABlock();
    readConfigBBlock();
    if (ControllerGeneration == 3) readExtendedBlock();
    code = pollRoad(nullptr, o, nullptr);
    fclose(f);
    if (code == ExitOk && recordingFailed())
        return fail(ExitFailed, "%s: could not write", o.input);
    return code;
}
