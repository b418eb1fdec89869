#include "cli/command_line.h"

#include <cstring>

#include "cli/errors.h"

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

CommandLineAsks noCommand(const char* name) {
    fail(ExitUsage, "no command %s (lpgctl --help lists them)", name);
    return CommandLineAsks::Usage;
}

CommandLineAsks read(CommandLine* line) {
    std::vector<char*>& w = line->words;
    if (!takePort(&w, &line->args.port) || w.empty()) return CommandLineAsks::Usage;
    if (isHelp(w[0]) || (strcmp(w[0], "help") == 0 && w.size() == 1))
        return CommandLineAsks::ProgramHelp;
    if (strcmp(w[0], "help") == 0) {
        line->command = findCommand(w[1]);
        return line->command ? CommandLineAsks::CommandHelp : noCommand(w[1]);
    }
    line->command = findCommand(w[0]);
    if (!line->command) return noCommand(w[0]);
    for (size_t i = 1; i < w.size(); ++i)
        if (isHelp(w[i])) return CommandLineAsks::CommandHelp;
    line->args.argc = static_cast<int>(w.size()) - 1;
    line->args.argv = w.data() + 1;
    return CommandLineAsks::Run;
}

}  // namespace

void readCommandLine(int argc, char** argv, CommandLine* line) {
    *line = CommandLine();
    if (argc > 1) line->words.assign(argv + 1, argv + argc);
    line->asks = read(line);
}
