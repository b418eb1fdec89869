#include "cli/usage.h"

#include "cli/errors.h"

namespace {

const char PortHelp[] =
    "PORT is a device path (/dev/ttyUSB0), a Windows port (COM3), demo or demo:1 for the\n"
    "built-in simulated controller (generation 3 or 1), or replay:FILE for a recording.\n"
    "Without --port: the port of ZuvelS.ini on Windows; on Linux --port is needed.\n";

}  // namespace

void printProgramHelp(FILE* out) {
    fprintf(out, "usage: lpgctl [--port PORT] COMMAND [ARGS...]\n\n%s\ncommands:\n", PortHelp);
    for (int i = 0; i < cliCommandCount; ++i)
        fprintf(out, "  %-8s %s\n", cliCommands[i].name, cliCommands[i].help);
    fprintf(out, "\nlpgctl COMMAND --help shows a command's arguments.\n");
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
