// lpgctl's command line read without acting on it: --port taken out wherever
// it stands, the help forms, and the command with its arguments. Portable.
#ifndef ZUVELS_CLI_COMMAND_LINE_H
#define ZUVELS_CLI_COMMAND_LINE_H

#include <vector>

#include "cli/commands.h"

enum class CommandLineAsks {
    Run,          // command with args
    ProgramHelp,  // lpgctl --help, lpgctl help
    CommandHelp,  // lpgctl help COMMAND, lpgctl COMMAND --help
    Usage,        // nothing to do: the error line is out (exit code ExitUsage)
};

struct CommandLine {
    CommandLineAsks asks = CommandLineAsks::Usage;
    const CliCommand* command = nullptr;   // Run and CommandHelp
    CliArgs args = {nullptr, 0, nullptr};  // the port and the arguments after the command
    std::vector<char*> words;              // what args.argv points into
};

// Reads argv[1..argc-1]. An empty command line asks for the program's help
// on standard error, as Usage with no error line.
void readCommandLine(int argc, char** argv, CommandLine* line);

#endif
