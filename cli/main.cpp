// lpgctl: the controller from the command line.
//   lpgctl [--port PORT] COMMAND [ARGS...]
// --port may also come after the command; "lpgctl COMMAND --help" and
// "lpgctl help COMMAND" show a command's usage.
#include <cstdio>
#include <cstring>
#include <vector>

#include "cli/commands.h"
#include "cli/errors.h"
#include "cli/stop_signals.h"
#include "cli/usage.h"

namespace {

// Takes --port PORT / --port=PORT out of the arguments wherever it stands.
// False (after the error line) when --port has no value.
bool takePort(std::vector<char*>* args, const char** port) {
    for (size_t i = 0; i < args->size();) {
        char* a = (*args)[i];
        if (strncmp(a, "--port=", 7) == 0) {
            *port = a + 7;
            args->erase(args->begin() + static_cast<long>(i));
        } else if (strcmp(a, "--port") == 0) {
            if (i + 1 >= args->size()) {
                fail(ExitUsage,
                     "--port needs a port: a device path, COMn, demo, demo:1 or replay:FILE");
                return false;
            }
            *port = (*args)[i + 1];
            args->erase(args->begin() + static_cast<long>(i),
                        args->begin() + static_cast<long>(i) + 2);
        } else {
            ++i;
        }
    }
    return true;
}

bool isHelp(const char* a) { return strcmp(a, "--help") == 0 || strcmp(a, "-h") == 0; }

// The command or help the arguments ask for; its exit code.
int runArguments(std::vector<char*> args) {
    const char* port = nullptr;
    if (!takePort(&args, &port)) return ExitUsage;
    if (args.empty()) {
        printProgramHelp(stderr);
        return ExitUsage;
    }
    if (isHelp(args[0])) return printProgramHelp(stdout), ExitOk;
    if (strcmp(args[0], "help") == 0) {
        if (args.size() == 1) return printProgramHelp(stdout), ExitOk;
        const CliCommand* c = findCommand(args[1]);
        if (!c) return fail(ExitUsage, "no command %s (lpgctl --help lists them)", args[1]);
        return printCommandHelp(stdout, *c), ExitOk;
    }
    const CliCommand* command = findCommand(args[0]);
    if (!command) return fail(ExitUsage, "no command %s (lpgctl --help lists them)", args[0]);
    for (size_t i = 1; i < args.size(); ++i)
        if (isHelp(args[i])) return printCommandHelp(stdout, *command), ExitOk;
    CliArgs commandArgs = {port, static_cast<int>(args.size()) - 1, args.data() + 1};
    return command->run(commandArgs);
}

}  // namespace

// Whatever ran, a lost standard output (a full disk, /dev/full) is an error.
int main(int argc, char** argv) {
    ignoreBrokenPipe();
    return finishStandardOutput(runArguments(std::vector<char*>(argv + 1, argv + argc)));
}
