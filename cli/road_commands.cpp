// Road tests and recordings: log, plot and record.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "cli/commands.h"
#include "cli/connect.h"
#include "cli/errors.h"
#include "cli/drive_status.h"
#include "cli/platform.h"
#include "cli/road_log.h"
#include "cli/road_options.h"
#include "cli/road_plot.h"
#include "cli/stop_signals.h"
#include "cli/verbosity.h"
#include "link/link.h"
#include "shell/text_file.h"
#include "sim/replay.h"

namespace {

bool isStandardOutput(const char* path) { return strcmp(path, "-") == 0; }

int drawPlot(const RoadLog& log, const char* path) {
    std::string error;
    if (!writePng(path, drawRoadPlot(log), &error))
        return fail(ExitOutputFailed, "%s", error.c_str());
    return ExitOk;
}

// A drive's account on standard error, kept up after each row.
struct DriveWatch {
    DriveStatus status;
    const long* frames = nullptr;  // record: the frames so far; otherwise the rows count
    DriveTick last = {0, 0, false};
    bool answered = false;  // a controller answered at least once
};

void afterRow(const RoadRow& row, long rows, void* context) {
    DriveWatch& w = *static_cast<DriveWatch*>(context);
    w.answered = w.answered || row.answered;
    w.last = {row.ms, w.frames ? *w.frames : rows, row.linkUp};
    const std::string text = w.status.afterTick(w.last);
    if (text.empty() || quiet()) return;
    fputs(text.c_str(), stderr);
    fflush(stderr);
}

// Polls until --seconds have passed, Ctrl+C or SIGTERM, the rows to out
// (may be nullptr) and kept in *keep when it isn't nullptr; then closes the
// port and sums up.
// ExitOk, or after the message ExitOutputFailed when a row could not be
// written to target, ExitInterrupted when target was a pipe whose reader
// has gone (`lpgctl log | head`).
int drive(FILE* out, const RoadOptions& o, RoadLog* keep, DriveWatch* w, const char* verb,
          const char* target) {
    catchStopSignals();
    bool writeFailed = false;
    int writeError = 0;
    RoadLogRun run{out, keep, uint32_t(o.seconds), &stopRequested, true, afterRow, w, &writeError};
    runRoadLog(run, &writeFailed);
    releaseStopSignals();
    closePort();
    if (!quiet()) fputs(w->status.finish(w->last, verb, target).c_str(), stderr);
    if (writeFailed && writeError == EPIPE)
        return fail(ExitInterrupted, "interrupted: the reader of %s has gone", target);
    if (writeFailed)
        return fail(ExitOutputFailed, "%s: %s", target,
                    writeError ? strerror(writeError) : "could not be written");
    return ExitOk;
}

int neverAnswered(const char* what) {
    // A network server that ended every connection says why.
    const char* why = linkPortProblem();
    return fail(ExitLinkNeverUp,
                "warning: no controller answered on %s during the whole drive%s%s; %s",
                portLabel().c_str(), *why ? ": " : "", why, what);
}

// Every output is checked before the port is opened, so a wrong path
// costs no drive.
bool outputsOk(const char* out, const char* plot) {
    std::string error;
    for (const char* path : {out, plot})
        if (path && !isStandardOutput(path) && !checkOutputPath(path, &error))
            return fail(ExitOutputFailed, "%s", error.c_str()), false;
    return true;
}

// Ctrl+C or SIGTERM: the normal end of a log without --seconds once a
// controller has answered; an interruption when the log had a length of its
// own still to go, or nothing from a controller to show.
int logStopped(const RoadOptions& o, const DriveWatch& w) {
    if (!w.answered)
        return fail(ExitInterrupted, "interrupted: no controller had answered on %s%s%s",
                    portLabel().c_str(), *linkPortProblem() ? ": " : "", linkPortProblem());
    if (o.seconds > 0 && w.last.ms < uint32_t(o.seconds) * 1000u)
        return fail(ExitInterrupted,
                    "interrupted after %u of the %ld seconds asked for; the rows logged are kept",
                    unsigned(w.last.ms / 1000), o.seconds);
    return ExitOk;
}

int logDrive(FILE* out, const RoadOptions& o, RoadLog* keep) {
    const char* target = o.out ? o.out : "standard output";
    // The status line only where the rows don't scroll by on the same terminal.
    DriveWatch w = {
        DriveStatus(std::string("logging to ") + target, "rows", o.out && stderrIsTerminal())};
    int code = drive(out, o, keep, &w, "logged", target);
    std::string error;
    if (out != stdout && !closeOutputFile(out, o.out, &error) && code == ExitOk)
        code = fail(ExitOutputFailed, "%s", error.c_str());
    if (code == ExitOk && stopRequested) code = logStopped(o, w);
    if (code == ExitOk && !w.answered) code = neverAnswered("every row says link_up 0");
    return code;
}

}  // namespace

int runLog(const CliArgs& args) {
    RoadOptions o;
    if (!readRoadOptions("log", args, &o)) return ExitUsage;
    if (!outputsOk(o.out, o.plot)) return ExitOutputFailed;
    // The port before the file: a wrong port leaves no empty log behind.
    int code = openPortOf(args);
    if (code != ExitOk) return code;
    std::string error;
    FILE* out = o.out ? openOutputFile(o.out, &error) : stdout;
    if (!out) return closePort(), fail(ExitOutputFailed, "%s", error.c_str());
    RoadLog kept;
    code = logDrive(out, o, o.plot ? &kept : nullptr);
    // Rows that were logged are drawn, however the drive ended.
    if ((code != ExitOk && code != ExitLinkNeverUp && code != ExitInterrupted) || !o.plot)
        return code;
    if (kept.samples.empty()) return fail(ExitFailed, "nothing to draw: no rows were logged");
    const int drawn = drawPlot(kept, o.plot);
    return drawn != ExitOk ? drawn : code;
}

int runPlot(const CliArgs& args) {
    RoadOptions o;
    if (!readRoadOptions("plot", args, &o)) return ExitUsage;
    if (!outputsOk(o.out, nullptr)) return ExitOutputFailed;
    RoadLog log;
    std::string error;
    if (!readRoadLog(o.input, &log, &error)) return fail(ExitBadFile, "%s", error.c_str());
    return drawPlot(log, o.out);
}

namespace {

// The frames crossing the recording backend, for record's status line.
long recordedFrames = 0;

bool countWrite(PortId h, const uint8_t* buf, uint32_t n, uint32_t* done) {
    const bool ok = recordingPortOps.write(h, buf, n, done);
    recordedFrames += *done > 0;
    return ok;
}

bool countRead(PortId h, uint8_t* buf, uint32_t n, uint32_t* done) {
    const bool ok = recordingPortOps.read(h, buf, n, done);
    recordedFrames += *done > 0;
    return ok;
}

PortOps countingRecordingOps() {
    PortOps ops = recordingPortOps;
    ops.write = countWrite;
    ops.read = countRead;
    return ops;
}

}  // namespace

int runRecord(const CliArgs& args) {
    RoadOptions o;
    if (!readRoadOptions("record", args, &o)) return ExitUsage;
    if (!outputsOk(o.input, nullptr)) return ExitOutputFailed;
    int code = openController(args);
    if (code != ExitOk) return code;
    std::string error;
    const bool toStandardOutput = isStandardOutput(o.input);
    FILE* f = toStandardOutput ? stdout : openOutputFile(o.input, &error);
    if (!f) return closePort(), fail(ExitOutputFailed, "%s", error.c_str());
    recordingStart(LinkPort, f, portLabel().c_str(), isoLocalTime(wallClockMs()).c_str());
    static const PortOps counting = countingRecordingOps();
    recordedFrames = 0;
    useLinkBackend(&counting);
    // The whole controller once, so a replay answers every block read (the
    // settings and service data too), then the drive as the readings page
    // polls it.
    pollStatus();
    readLiveBlock();
    readConfigABlock();
    readConfigBBlock();
    if (ControllerGeneration == 3) readExtendedBlock();
    DriveWatch w = {
        DriveStatus(std::string("recording to ") + o.input, "frames", stderrIsTerminal()),
        &recordedFrames};
    code = drive(nullptr, o, nullptr, &w, "recorded", o.input);
    // Standard output's own failure is named by finishStandardOutput.
    const bool closed = toStandardOutput || closeOutputFile(f, o.input, &error);
    if (code == ExitOk && (!closed || recordingFailed()))
        return fail(
            ExitOutputFailed, "%s",
            closed ? (std::string(o.input) + ": could not be written").c_str() : error.c_str());
    if (code == ExitOk && !w.answered)
        return neverAnswered("the recording holds only unanswered requests");
    return code;
}
