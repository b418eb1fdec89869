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
#include "cli/fields.h"
#include "cli/json_text.h"
#include "cli/platform.h"
#include "cli/settings_files.h"
#include "cli/stop_signals.h"
#include "cli/usage.h"
#include "cli/verbosity.h"
#include "link/blocks.h"
#include "link/link.h"
#include "sim/replay.h"

namespace {

enum { BarWidth = 30, HeaderWords = 3 };

struct Progress {
    const SettingsFormat* fmt;
    const LoadedSettings* values;
    bool bar;                   // on a terminal: one line redrawn; otherwise a line per write
    bool lines;                 // a line per write on standard output (not with -q or --json)
    bool outputClosed = false;  // a line could not be written: the reader has gone
    bool stopped = false;       // the load was stopped before its end
};

const char* keyOf(const SettingsFormat& fmt, int index) {
    return settingsKeyWord(fmt, HeaderWords + index);
}

void draw(Progress* p, int done) {
    const int total = p->values->sendCount;
    const char* key = keyOf(*p->fmt, done - 1);
    if (!p->bar && !p->lines) return;
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

// How a load ended, for its --json object.
struct LoadOutcome {
    int written = 0;    // writes confirmed by their reply
    int skipped = 0;    // values never sent
    int verified = -1;  // values read back as written; -1 when not read back
    // "" when none: "no reply", "unconfirmed", "refused", "interrupted", "mismatch"
    std::string failure;
    int failedKey = -1;  // the key the failure is about
    int readBack = -1;   // mismatch: what the first differing value reads back as
};

int loadStopped(const SettingsFormat& fmt, const LoadedSettings& values, int sent) {
    return fail(ExitInterrupted,
                "interrupted: the first %d of %d values are in the controller; the next would "
                "have been %s (key %d)",
                sent, values.sendCount, keyOf(fmt, sent), sent + 1);
}

int loadFailed(const SettingsFormat& fmt, const LoadedSettings& values, int sent,
               LoadOutcome* out) {
    out->skipped = values.sendCount - sent - 1;
    out->failedKey = sent;
    if (replayWriteRefused()) {
        out->failure = "refused";
        return fail(ExitWriteFailed, "%s: %s", portLabel().c_str(), ReplayWriteRefusedText);
    }
    // The write went out; only its confirmation is missing, so the
    // controller may have applied it.
    if (BytesTransferred == sizeof WriteReply) {
        out->failure = "unconfirmed";
        return fail(ExitWriteFailed,
                    "%s (key %d of %d, address %d) was not confirmed: the reply echoes %d, not "
                    "the %d written; it may or may not have been taken; the %d values before it "
                    "are in the controller, the rest were not sent",
                    keyOf(fmt, sent), sent + 1, values.sendCount, values.addresses[sent],
                    WriteReply.value, values.values[sent], sent);
    }
    out->failure = "no reply";
    return fail(ExitWriteFailed,
                "%s (key %d of %d, address %d) got no full reply: it may or may not have been "
                "taken; the %d values before it are in the controller, the rest were not sent",
                keyOf(fmt, sent), sent + 1, values.sendCount, values.addresses[sent], sent);
}

// Reads the blocks back and holds every value to the one written; the first
// that differs is named, with how many differ in all.
int verifyLoad(const SettingsFormat& fmt, const LoadedSettings& values, LoadOutcome* out) {
    const int code = readControllerBlocks();
    if (code != ExitOk) return out->failure = "no read back", code;
    LoadedSettings back;
    settingsFromStores(fmt, &back);
    int differing = 0;
    for (int k = 0; k < values.sendCount; ++k) {
        if (back.values[k] == values.values[k]) continue;
        if (differing++ == 0) out->failedKey = k, out->readBack = back.values[k];
    }
    out->verified = values.sendCount - differing;
    if (differing == 0) return ExitOk;
    out->failure = "mismatch";
    const int k = out->failedKey;
    return fail(ExitVerifyFailed,
                "%s (key %d of %d, address %d) reads back as %d after %d was written; %d of "
                "%d values differ",
                keyOf(fmt, k), k + 1, values.sendCount, values.addresses[k], out->readBack,
                values.values[k], differing, values.sendCount);
}

void printJson(const char* path, const SettingsFormat& fmt, const LoadedSettings& values,
               const LoadOutcome& o) {
    std::string failure = "null";
    if (!o.failure.empty()) {
        const int k = o.failedKey;
        JsonMembers f = {{"kind", jsonQuoted(o.failure)}};
        if (k >= 0)
            f.insert(f.end(), {{"key", jsonQuoted(keyOf(fmt, k))},
                               {"address", std::to_string(values.addresses[k])},
                               {"written", std::to_string(values.values[k])}});
        if (o.readBack >= 0) f.push_back({"read_back", std::to_string(o.readBack)});
        failure = jsonInline(f);
    }
    fputs(jsonObject({{"port", jsonQuoted(portLabel())},
                      {"file", jsonQuoted(path)},
                      {"values", std::to_string(values.sendCount)},
                      {"written", std::to_string(o.written)},
                      {"skipped", std::to_string(o.skipped)},
                      {"verified", o.verified >= 0 ? std::to_string(o.verified) : "null"},
                      {"failure", failure}})
              .c_str(),
          stdout);
}

}  // namespace

namespace {

// Sends the values; ExitOk when every write was confirmed.
int send(const SettingsFormat& fmt, const LoadedSettings& values, bool json, LoadOutcome* out) {
    Progress progress = {&fmt, &values, stderrIsTerminal() && !quiet(), !quiet() && !json};
    catchStopSignals();
    const int sent = sendSettingsReporting(values, showSent, &progress);
    releaseStopSignals();
    out->written = sent;
    if (progress.bar && sent > 0 && sent < values.sendCount) fputc('\n', stderr);
    if (sent == values.sendCount) return ExitOk;
    if (!progress.stopped) return loadFailed(fmt, values, sent, out);
    out->failure = "interrupted";
    out->failedKey = sent;
    out->skipped = values.sendCount - sent;
    return loadStopped(fmt, values, sent);
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
    const bool json = hasOption(args, "--json");
    LoadOutcome outcome;
    code = send(fmt, values, json, &outcome);
    if (code == ExitOk && !hasOption(args, "--no-verify")) code = verifyLoad(fmt, values, &outcome);
    if (json)
        printJson(path, fmt, values, outcome);
    else if (code == ExitOk && !quiet())
        printf("sent %d values from %s to the controller on %s%s\n", outcome.written, path,
               portLabel().c_str(),
               outcome.verified >= 0 ? ", and read them back" : "; not read back (--no-verify)");
    closePort();
    return code;
}
