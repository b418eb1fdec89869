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
#include "cli/road_plot.h"
#include "link/link.h"
#include "sim/replay.h"

namespace {

volatile std::sig_atomic_t interrupted = 0;
void onInterrupt(int) { interrupted = 1; }

struct RoadOptions {
    long seconds = 0;
    const char* out = nullptr;
    const char* plot = nullptr;
    const char* input = nullptr;  // the one positional argument
};

// True when option is one of the space-separated words of allowed.
bool optionAllowed(const char* allowed, const std::string& option) {
    return (" " + std::string(allowed) + " ").find(" " + option + " ") != std::string::npos;
}

// Reads --seconds N, --out FILE, --plot FILE (each only where allowed) and
// at most one positional argument. False after the error line.
bool readOptions(const CliArgs& args, const char* allowed, RoadOptions* o) {
    for (int i = 0; i < args.argc; ++i) {
        const char* a = args.argv[i];
        if (a[0] != '-' || a[1] != '-') {
            if (o->input) return fail(ExitUsage, "one file only, not %s", a), false;
            o->input = a;
            continue;
        }
        if (!optionAllowed(allowed, a)) return fail(ExitUsage, "no option %s here", a), false;
        if (i + 1 >= args.argc) return fail(ExitUsage, "%s needs a value", a), false;
        const char* value = args.argv[++i];
        char* end = nullptr;
        if (strcmp(a, "--out") == 0)
            o->out = value;
        else if (strcmp(a, "--plot") == 0)
            o->plot = value;
        else if ((o->seconds = strtol(value, &end, 10)) <= 0 || *end || o->seconds > 864000)
            return fail(ExitUsage, "--seconds takes a whole number of seconds"), false;
    }
    return true;
}

int drawPlot(const RoadLog& log, const char* path) {
    std::string error;
    if (!writePng(path, drawRoadPlot(log), &error)) return fail(ExitFailed, "%s", error.c_str());
    return ExitOk;
}

// Polls until --seconds have passed or Ctrl+C, the rows to out (may be
// nullptr) and kept in *keep when it isn't nullptr.
int pollRoad(FILE* out, const RoadOptions& o, RoadLog* keep) {
    interrupted = 0;
    std::signal(SIGINT, onInterrupt);
    bool writeFailed = false;
    runRoadLog(RoadLogRun{out, keep, uint32_t(o.seconds), &interrupted, true}, &writeFailed);
    std::signal(SIGINT, SIG_DFL);
    closePort();
    if (writeFailed) return fail(ExitFailed, "%s: could not write a row", o.out ? o.out : "output");
    return ExitOk;
}

}  // namespace

int runLog(const CliArgs& args) {
    RoadOptions o;
    if (!readOptions(args, "--seconds --out --plot", &o)) return ExitUsage;
    if (o.input) return fail(ExitUsage, "log takes no file of its own (--out FILE.csv)");
    // The port first: a wrong port leaves no empty log behind.
    int code = openPortOf(args);
    if (code != ExitOk) return code;
    FILE* out = o.out ? fopen(o.out, "wb") : stdout;
    if (!out) return closePort(), fail(ExitFailed, "%s: %s", o.out, strerror(errno));
    RoadLog kept;
    code = pollRoad(out, o, o.plot ? &kept : nullptr);
    if (out != stdout) fclose(out);
    if (code != ExitOk || !o.plot) return code;
    if (kept.samples.empty()) return fail(ExitFailed, "nothing to draw: no rows were logged");
    return drawPlot(kept, o.plot);
}

int runPlot(const CliArgs& args) {
    RoadOptions o;
    if (!readOptions(args, "--out", &o)) return ExitUsage;
    if (!o.input || !o.out) return fail(ExitUsage, "plot needs LOG.csv and --out FILE.png");
    RoadLog log;
    std::string error;
    if (!readRoadLog(o.input, &log, &error)) return fail(ExitBadFile, "%s", error.c_str());
    return drawPlot(log, o.out);
}

int runRecord(const CliArgs& args) {
    RoadOptions o;
    if (!readOptions(args, "--seconds", &o)) return ExitUsage;
    if (!o.input) return fail(ExitUsage, "record needs the file to record into");
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
