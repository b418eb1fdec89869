// lpgctl load FILE: the checks and order of the window's "Open...": the
// format of the controller's generation, every key checked before the first
// write, the writes in file order, stop at the first unconfirmed one.
#include <cstdio>
#include <string>

#include "cli/commands.h"
#include "cli/connect.h"
#include "cli/errors.h"
#include "cli/platform.h"
#include "cli/settings_files.h"
#include "cli/usage.h"
#include "link/link.h"
#include "sim/replay.h"

namespace {

enum { BarWidth = 30, HeaderWords = 3 };

struct Progress {
    const SettingsFormat* fmt;
    const LoadedSettings* values;
    bool bar;  // on a terminal: one line redrawn; otherwise a line per write
};

const char* keyOf(const SettingsFormat& fmt, int index) {
    return settingsKeyWord(fmt, HeaderWords + index);
}

void showSent(int index, void* context) {
    const Progress& p = *static_cast<Progress*>(context);
    const int done = index + 1, total = p.values->sendCount;
    const char* key = keyOf(*p.fmt, index);
    if (!p.bar) {
        printf("%2d/%d %s %d\n", done, total, key, p.values->values[index]);
        fflush(stdout);
        return;
    }
    const int filled = done * BarWidth / total;
    fprintf(stderr, "\r[%s%s] %2d/%d %-16s", std::string(filled, '#').c_str(),
            std::string(BarWidth - filled, '.').c_str(), done, total, key);
    if (done == total) fputc('\n', stderr);
    fflush(stderr);
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
    const int sent = sendSettingsReporting(values, showSent, &progress);
    if (progress.bar && sent > 0 && sent < values.sendCount) fputc('\n', stderr);
    if (sent < values.sendCount && replayWriteRefused()) {
        code = fail(ExitWriteFailed, "%s: %s", portLabel().c_str(), ReplayWriteRefusedText);
    } else if (sent < values.sendCount) {
        code = fail(ExitWriteFailed,
                    "no full reply to the write of %s (address %d, key %d of %d); the %d "
                    "values before it are in the controller, the rest were not sent",
                    keyOf(fmt, sent), values.addresses[sent], sent + 1, values.sendCount, sent);
    } else {
        printf("sent %d values from %s to the controller on %s\n", sent, path, portLabel().c_str());
    }
    closePort();
    return code;
}
