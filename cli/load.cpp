// lpgctl load FILE: the checks and order of the window's "Open...": the
// format of the controller's generation, every key checked before the first
// write, the writes in file order, stop at the first unconfirmed one. Ctrl+C,
// SIGTERM or a closed standard output stop it between two writes, so the
// controller never holds a value whose reply was not read.
#include <cstdio>
#include <string>

#include "cli/commands.h"
#include "cli/connect.h"
#include "cli/errors.h"
#include "cli/platform.h"
#include "cli/settings_files.h"
#include "cli/stop_signals.h"
#include "cli/usage.h"
#include "link/link.h"
#include "sim/replay.h"

namespace {

enum { BarWidth = 30, HeaderWords = 3 };

struct Progress {
    const SettingsFormat* fmt;
    const LoadedSettings* values;
    bool bar;                   // on a terminal: one line redrawn; otherwise a line per write
    bool outputClosed = false;  // a line could not be written: the reader has gone
    bool stopped = false;       // the load was stopped before its end
};

const char* keyOf(const SettingsFormat& fmt, int index) {
    return settingsKeyWord(fmt, HeaderWords + index);
}

void draw(Progress* p, int done) {
    const int total = p->values->sendCount;
    const char* key = keyOf(*p->fmt, done - 1);
    if (!p->bar) {
        // A failed line is the pipe closing (SIGPIPE is ignored).
        if (printf("%2d/%d %s %d\n", done, total, key, p->values->values[done - 1]) < 0 ||
            fflush(stdout) != 0)
            p->outputClosed = true;
        return;
    }
    const int filled = done * BarWidth / total;
    fprintf(stderr, "\r[%s%s] %2d/%d %-16s", std::string(filled, '#').c_str(),
            std::string(BarWidth - filled, '.').c_str(), done, total, key);
    if (done == total) fputc('\n', stderr);
    fflush(stderr);
}

// After each confirmed write: its line, then whether to go on.
bool showSent(int index, void* context) {
    Progress* p = static_cast<Progress*>(context);
    draw(p, index + 1);
    p->stopped = stopRequested || p->outputClosed;
    return !p->stopped;
}

int loadStopped(const SettingsFormat& fmt, const LoadedSettings& values, int sent) {
    return fail(ExitInterrupted,
                "interrupted: the first %d of %d values are in the controller; the next would "
                "have been %s (key %d)",
                sent, values.sendCount, keyOf(fmt, sent), sent + 1);
}

int loadFailed(const SettingsFormat& fmt, const LoadedSettings& values, int sent) {
    if (replayWriteRefused())
        return fail(ExitWriteFailed, "%s: %s", portLabel().c_str(), ReplayWriteRefusedText);
    // The write went out; only its reply is missing, so the controller may
    // have applied it.
    return fail(ExitWriteFailed,
                "%s (key %d of %d, address %d) got no full reply: it may or may not have been "
                "taken; the %d values before it are in the controller, the rest were not sent",
                keyOf(fmt, sent), sent + 1, values.sendCount, values.addresses[sent], sent);
}

}  // namespace

int runLoad(const CliArgs& args) {
    if (!argumentCountOk(args, 1, 1, "load")) return ExitUsage;
    const char* path = args.argv[0];
    int code = openController(args);
    if (code != ExitOk) return code;
    LoadedSettings values;
    code = readSettingsForGeneration(path, ControllerGeneration, &values);
    if (code != ExitOk) return closePort(), code;

    const SettingsFormat& fmt = settingsFormatFor(ControllerGeneration);
    Progress progress = {&fmt, &values, stderrIsTerminal()};
    catchStopSignals();
    const int sent = sendSettingsReporting(values, showSent, &progress);
    releaseStopSignals();
    if (progress.bar && sent > 0 && sent < values.sendCount) fputc('\n', stderr);
    if (sent < values.sendCount && progress.stopped) {
        code = loadStopped(fmt, values, sent);
    } else if (sent < values.sendCount) {
        code = loadFailed(fmt, values, sent);
    } else {
        printf("sent %d values from %s to the controller on %s\n", sent, path, portLabel().c_str());
    }
    closePort();
    return code;
}
