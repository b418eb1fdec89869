// lpgctl's commands: one table entry per command. A command's run function
// gets the arguments after its name; the link is opened by the command itself
// (openController in cli/connect.h) when it needs the controller.
#ifndef ZUVELS_CLI_COMMANDS_H
#define ZUVELS_CLI_COMMANDS_H

#include <vector>

// An option given to the command: "--json" (value nullptr) or "--out" with
// its value, from "--out FILE" or "--out=FILE".
struct CliOption {
    const char* name;
    const char* value;
};

struct CliArgs {
    const char* port;  // --port value, else LPGCTL_PORT's; nullptr when neither
    int argc;          // arguments after the command name
    char** argv;
    // The command's options, when its entry lists them; argv then holds only
    // its other arguments (those after "--" among them).
    std::vector<CliOption> options = {};
    bool portFromEnvironment = false;  // port is LPGCTL_PORT's
};

struct CliCommand {
    const char* name;
    const char* help;   // one line for the command list
    const char* usage;  // arguments after the name, "" when none
    int (*run)(const CliArgs& args);
    // The options it takes, space-separated, "=" after one that takes a
    // value: "--seconds= --out=". nullptr: the command reads its own.
    const char* options = nullptr;
};

// For run functions: whether option name was given, and its value (the
// last one given; nullptr when absent).
bool hasOption(const CliArgs& args, const char* name);
const char* optionValue(const CliArgs& args, const char* name);

extern const CliCommand cliCommands[];
extern const int cliCommandCount;

// The entry of name; nullptr when there is none.
const CliCommand* findCommand(const char* name);

// One run function per command, each in the cli/ file of its command.
int runStatus(const CliArgs& args);
int runDump(const CliArgs& args);
int runSave(const CliArgs& args);
int runLoad(const CliArgs& args);
int runDiff(const CliArgs& args);
int runPorts(const CliArgs& args);
int runScan(const CliArgs& args);
// Road tests and recordings (cli/road_commands.cpp).
int runLog(const CliArgs& args);
int runPlot(const CliArgs& args);
int runRecord(const CliArgs& args);
// Remote help (cli/serve.cpp).
int runServe(const CliArgs& args);

#endif
