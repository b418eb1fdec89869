// lpgctl's commands: one table entry per command. A command's run function
// gets the arguments after its name; the link is opened by the command itself
// (openController in cli/connect.h) when it needs the controller.
#ifndef ZUVELS_CLI_COMMANDS_H
#define ZUVELS_CLI_COMMANDS_H

struct CliArgs {
    const char* port;  // --port value; nullptr when not given
    int argc;          // arguments after the command name
    char** argv;
};

struct CliCommand {
    const char* name;
    const char* help;   // one line for the command list
    const char* usage;  // arguments after the name, "" when none
    int (*run)(const CliArgs& args);
};

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
