// lpgctl: the controller from the command line.
//   lpgctl [OPTIONS] COMMAND [ARGS...]
// The options may also come after the command; "lpgctl COMMAND --help" and
// "lpgctl help COMMAND" show a command's usage.
#include <cstdio>

#include "cli/command_line.h"
#include "cli/errors.h"
#include "cli/main.h"
#include "cli/stop_signals.h"
#include "cli/usage.h"

namespace {

// The command or help the command line asks for; its exit code.
int runCommandLine(int argc, char** argv, const char* portVariable) {
    CommandLine line;
    readCommandLine(argc, argv, portVariable, &line);
    setVerbosity(line.verbosity);
    switch (line.asks) {
    case CommandLineAsks::Run: return line.command->run(line.args);
    case CommandLineAsks::ProgramHelp: return printProgramHelp(stdout), ExitOk;
    case CommandLineAsks::CommandHelp: return printCommandHelp(stdout, *line.command), ExitOk;
    case CommandLineAsks::Version: return printVersion(stdout), ExitOk;
    case CommandLineAsks::Usage: break;
    }
    if (line.words.empty()) printProgramHelp(stderr);
    return ExitUsage;
}

}  // namespace

// Whatever ran, a lost standard output (a full disk, /dev/full) is an error.
int lpgctlMain(int argc, char** argv, const char* portVariable) {
    ignoreBrokenPipe();
    return finishStandardOutput(runCommandLine(argc, argv, portVariable));
}
