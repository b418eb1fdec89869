// lpgctl: the controller from the command line.
//   lpgctl [--port PORT] COMMAND [ARGS...]
// --port may also come after the command; "lpgctl COMMAND --help" and
// "lpgctl help COMMAND" show a command's usage.
#include <cstdio>

#include "cli/command_line.h"
#include "cli/errors.h"
#include "cli/usage.h"

int main(int argc, char** argv) {
    CommandLine line;
    readCommandLine(argc, argv, &line);
    switch (line.asks) {
    case CommandLineAsks::Run: return line.command->run(line.args);
    case CommandLineAsks::ProgramHelp: return printProgramHelp(stdout), ExitOk;
    case CommandLineAsks::CommandHelp: return printCommandHelp(stdout, *line.command), ExitOk;
    case CommandLineAsks::Usage: break;
    }
    if (line.words.empty()) printProgramHelp(stderr);
    return ExitUsage;
}
