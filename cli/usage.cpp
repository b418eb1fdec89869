#include "cli/usage.h"

#include "cli/errors.h"
#include "link/port_grammar.h"

namespace {

// The PORT sentence's width: the rows' phrases, filled line by line.
const size_t PortHelpWidth = 83;

const char PortDefaultHelp[] =
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
    fprintf(out, "usage: lpgctl [OPTIONS] COMMAND [ARGS...]\n\n%s%s\n%s\ncommands:\n",
            portUsageText(PortHelpWidth).c_str(), PortDefaultHelp, OptionHelp);
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
