#include "cli/commands.h"

#include <cstring>

const CliCommand cliCommands[] = {
    {"status", "link state, generation, variant and version of the controller", "[--json]",
     runStatus, "--json"},
    {"dump", "every block decoded into named fields with units", "[--json]", runDump, "--json"},
    {"save", "save the controller's settings to a settings file (- for standard output)", "FILE",
     runSave, ""},
    {"load", "send a settings file to the controller and read it back",
     "[--json] [--no-verify] FILE", runLoad, "--json --no-verify"},
    {"diff", "compare two settings files, or a file and the controller (-)", "[--json] A B",
     runDiff, "--json"},
    {"ports", "list the serial ports the system reports", "[--json]", runPorts, "--json"},
    {"scan", "search the ports (or the ports given) for a controller", "[--json] [PORT...]",
     runScan, "--json"},
    // Road tests and recordings.
    {"log", "poll as the readings page does, one CSV row a tick",
     "[--seconds N] [--out FILE.csv] [--plot FILE.png]", runLog, "--seconds= --out= --plot="},
    {"plot", "draw a road-test log as a picture", "LOG.csv --out FILE.png", runPlot, "--out="},
    {"record", "record every request and reply with its time, for replay:FILE",
     "FILE [--seconds N]", runRecord, "--seconds="},
    // Remote help.
    {"serve", "offer the controller to one client over TCP (RFC 2217, or raw with --raw)",
     "[--listen ADDR:PORT] [--allow-writes] [--raw] [--idle SECONDS]", runServe},
};
const int cliCommandCount = static_cast<int>(sizeof cliCommands / sizeof cliCommands[0]);

bool hasOption(const CliArgs& args, const char* name) {
    for (const CliOption& o : args.options)
        if (strcmp(o.name, name) == 0) return true;
    return false;
}

const char* optionValue(const CliArgs& args, const char* name) {
    const char* value = nullptr;
    for (const CliOption& o : args.options)
        if (strcmp(o.name, name) == 0) value = o.value;
    return value;
}

const CliCommand* findCommand(const char* name) {
    for (int i = 0; i < cliCommandCount; ++i)
        if (strcmp(cliCommands[i].name, name) == 0) return &cliCommands[i];
    return nullptr;
}
