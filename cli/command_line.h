// lpgctl's command line read without acting on it: the program's own options
// (--port/-p, -v, -q, --version, --help) taken out wherever they stand before
// "--", the help forms, and the command with its arguments and options.
// Portable.
#ifndef ZUVELS_CLI_COMMAND_LINE_H
#define ZUVELS_CLI_COMMAND_LINE_H

#include <vector>

#include "cli/commands.h"
#include "cli/verbosity.h"

enum class CommandLineAsks {
    Run,          // command with args
    ProgramHelp,  // lpgctl --help, lpgctl help
    CommandHelp,  // lpgctl help COMMAND, lpgctl COMMAND --help
    Version,      // lpgctl --version
    Usage,        // nothing to do: the error line is out (exit code ExitUsage)
};

struct CommandLine {
    CommandLineAsks asks = CommandLineAsks::Usage;
    const CliCommand* command = nullptr;   // Run and CommandHelp
    CliArgs args = {nullptr, 0, nullptr};  // the port and the arguments after the command
    Verbosity verbosity = Verbosity::Normal;
    std::vector<char*> words;  // what args.argv points into
};

// Reads argv[1..argc-1]; without --port, the port is environmentPort's
// (LPGCTL_PORT, nullptr or "" when unset). An empty command line asks for
// the program's help on standard error, as Usage with no error line.
void readCommandLine(int argc, char** argv, const char* environmentPort, CommandLine* line);

#endif
