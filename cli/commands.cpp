#include "cli/commands.h"

#include <cstring>

const CliCommand cliCommands[] = {
    {"status", "link state, generation, variant and version of the controller", "", runStatus},
    {"dump", "every block decoded into named fields with units", "[--json]", runDump},
    {"save", "save the controller's settings to a settings file", "FILE", runSave},
    {"load", "send a settings file to the controller", "FILE", runLoad},
    {"diff", "compare two settings files, or a file and the controller (-)", "A B", runDiff},
    {"ports", "list the serial ports the system reports", "", runPorts},
    {"scan", "search the ports (or the ports given) for a controller", "[PORT...]", runScan},
    // Road tests and recordings.
    {"log", "poll as the readings page does, one CSV row a tick",
     "[--seconds N] [--out FILE.csv] [--plot FILE.png]", runLog},
    {"plot", "draw a road-test log as a picture", "LOG.csv --out FILE.png", runPlot},
    {"record", "record every request and reply with its time, for replay:FILE",
     "FILE [--seconds N]", runRecord},
    // Remote help.
    {"serve", "offer the controller to one client over TCP (RFC 2217, or raw with --raw)",
     "[--listen ADDR:PORT] [--allow-writes] [--raw]", runServe},
};
const int cliCommandCount = static_cast<int>(sizeof cliCommands / sizeof cliCommands[0]);

const CliCommand* findCommand(const char* name) {
    for (int i = 0; i < cliCommandCount; ++i)
        if (strcmp(cliCommands[i].name, name) == 0) return &cliCommands[i];
    return nullptr;
}
