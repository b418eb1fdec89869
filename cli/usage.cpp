#include "cli/usage.h"

#include "cli/errors.h"

namespace {

const char PortHelp[] =
    "PORT is a device path (/dev/ttyUSB0), a Windows port (COM3), demo or demo:1 for the\n"
    "built-in simulated controller (generation 3 or 1), replay:FILE for a recording, or\n"
    "a network serial port: rfc2217://HOST:PORT, or socket://HOST:PORT for raw TCP.\n"
    "Without --port: LPGCTL_PORT's port, else the port of ZuvelS.ini on Windows.\n";

const char OptionHelp[] =
    "options:\n"
    "  -p, --port PORT  the port (also --port=PORT)\n"
    "  -v, --verbose    trace every frame on the port to standard error\n"
    "  -q, --quiet      only errors and the output asked for\n"
    "  --version        the program's version\n"
    "  -h, --help       this help; lpgctl COMMAND --help shows a command's arguments\n"
    "  --               what follows is no option (a file named -x)\n";

}  // namespace

void printProgramHelp(FILE* out) {
    fprintf(out, "usage: lpgctl [OPTIONS] COMMAND [ARGS...]\n\n%s\n%s\ncommands:\n", PortHelp,
            OptionHelp);
    for (int i = 0; i < cliCommandCount; ++i)
        fprintf(out, "  %-8s %s\n", cliCommands[i].name, cliCommands[i].help);
    fprintf(out, "\nexit codes:\n");
    for (int i = 0; i < ExitCodeCount; ++i)
        fprintf(out, "  %2d  %s\n", ExitCodeMeanings[i].code, ExitCodeMeanings[i].meaning);
}

void printVersion(FILE* out) {
    // From the program's version resource line, passed in by the build.
    fprintf(out, "lpgctl %d.%02d\n", ZUVELS_VERSION_MAJOR, ZUVELS_VERSION_MINOR);
}

void printCommandHelp(FILE* out, const CliCommand& command) {
    fprintf(out, "usage: lpgctl [--port PORT] %s%s%s\n\n%s\n", command.name,
            command.usage[0] ? " " : "", command.usage, command.help);
}

bool argumentCountOk(const CliArgs& args, int least, int most, const char* name) {
    if (args.argc >= least && args.argc <= most) return true;
    const CliCommand* c = findCommand(name);
    const char* usage = c ? c->usage : "";
    fail(ExitUsage, "usage: lpgctl %s%s%s", name, *usage ? " " : "", usage);
    return false;
}
