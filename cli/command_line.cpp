#include "cli/command_line.h"

#include <cstring>
#include <string>

#include "cli/errors.h"

namespace {

const char PortNeeded[] = "--port needs a port: a device path, COMn, demo, demo:1 or replay:FILE";

bool is(const char* a, const char* longName, const char* shortName = nullptr) {
    return strcmp(a, longName) == 0 || (shortName && strcmp(a, shortName) == 0);
}

bool startsWith(const char* a, const char* prefix) {
    return strncmp(a, prefix, strlen(prefix)) == 0;
}

// The program's own options wherever they stand before "--": --port PORT,
// --port=PORT, -p PORT, -pPORT, -v, -q, --version, --help and -h. False
// (after the error line) for a --port without its value.
struct ProgramOptions {
    const char* port = nullptr;
    bool help = false, version = false, verbose = false, quiet = false;
};

// Takes words[i] when it is one of the program's options; *taken gets how
// many words it used (0: not one of them).
bool takeProgramOption(const std::vector<char*>& w, size_t i, ProgramOptions* o, size_t* taken) {
    const char* a = w[i];
    *taken = 1;
    if (is(a, "--port", "-p")) {
        if (i + 1 >= w.size()) return fail(ExitUsage, "%s", PortNeeded), false;
        o->port = w[i + 1];
        *taken = 2;
    } else if (startsWith(a, "--port=")) {
        o->port = a + 7;
    } else if (startsWith(a, "-p") && a[2] != '\0') {
        o->port = a + 2;
    } else if (is(a, "--help", "-h")) {
        o->help = true;
    } else if (is(a, "--version")) {
        o->version = true;
    } else if (is(a, "--verbose", "-v")) {
        o->verbose = true;
    } else if (is(a, "--quiet", "-q")) {
        o->quiet = true;
    } else {
        *taken = 0;
    }
    return true;
}

bool takeProgramOptions(std::vector<char*>* w, ProgramOptions* o) {
    for (size_t i = 0; i < w->size() && strcmp((*w)[i], "--") != 0;) {
        size_t taken = 0;
        if (!takeProgramOption(*w, i, o, &taken)) return false;
        w->erase(w->begin() + static_cast<long>(i), w->begin() + static_cast<long>(i + taken));
        if (taken == 0) ++i;
    }
    if (o->verbose && o->quiet) return fail(ExitUsage, "-v and -q don't go together"), false;
    return true;
}

bool isOption(const char* a) { return a[0] == '-' && a[1] != '\0'; }

CommandLineAsks unknownOption(const char* option, const char* command) {
    if (command)
        fail(ExitUsage, "unknown option %s (lpgctl %s --help lists its options)", option, command);
    else
        fail(ExitUsage, "unknown option %s (lpgctl --help lists the options)", option);
    return CommandLineAsks::Usage;
}

// How option name stands in the list: 0 absent, 1 a flag, 2 taking a value.
int optionKind(const char* list, const std::string& name) {
    const std::string words = " " + std::string(list) + " ";
    if (words.find(" " + name + " ") != std::string::npos) return 1;
    if (words.find(" " + name + "= ") != std::string::npos) return 2;
    return 0;
}

// Splits the words after the command into its options and its other
// arguments, by the command's list; "--" ends the options.
CommandLineAsks readCommandOptions(const CliCommand& c, std::vector<char*>* w, CliArgs* args) {
    std::vector<char*> rest;
    bool optionsEnded = false;
    for (size_t i = 0; i < w->size(); ++i) {
        char* a = (*w)[i];
        if (!optionsEnded && strcmp(a, "--") == 0) {
            optionsEnded = true;
            continue;
        }
        if (optionsEnded || !isOption(a)) {
            rest.push_back(a);
            continue;
        }
        char* equals = strchr(a, '=');
        const std::string name = equals ? std::string(a, equals) : std::string(a);
        const int kind = optionKind(c.options, name);
        if (kind == 0) return unknownOption(name.c_str(), c.name);
        if (kind == 1 && equals)
            return fail(ExitUsage, "%s takes no value", name.c_str()), CommandLineAsks::Usage;
        if (kind == 2 && !equals && i + 1 >= w->size())
            return fail(ExitUsage, "%s needs a value", a), CommandLineAsks::Usage;
        if (equals) *equals = '\0';  // the name ends there; the value follows
        args->options.push_back({a, kind == 1 ? nullptr : equals ? equals + 1 : (*w)[++i]});
    }
    *w = rest;
    return CommandLineAsks::Run;
}

CommandLineAsks noCommand(const char* name) {
    fail(ExitUsage, "no command %s (lpgctl --help lists them)", name);
    return CommandLineAsks::Usage;
}

CommandLineAsks readCommand(CommandLine* line, bool help) {
    std::vector<char*>& w = line->words;
    if (isOption(w[0]) && strcmp(w[0], "--") != 0) return unknownOption(w[0], nullptr);
    if (strcmp(w[0], "--") == 0) w.erase(w.begin());
    // "lpgctl --" alone is an empty command line: the usage, not an error.
    if (w.empty()) return CommandLineAsks::Usage;
    line->command = findCommand(w[0]);
    if (!line->command) return noCommand(w[0]);
    if (help) return CommandLineAsks::CommandHelp;
    std::vector<char*> after(w.begin() + 1, w.end());
    if (line->command->options) {
        const CommandLineAsks asks = readCommandOptions(*line->command, &after, &line->args);
        if (asks != CommandLineAsks::Run) return asks;
    }
    w.erase(w.begin() + 1, w.end());
    w.insert(w.end(), after.begin(), after.end());
    line->args.argc = static_cast<int>(w.size()) - 1;
    line->args.argv = w.data() + 1;
    return CommandLineAsks::Run;
}

CommandLineAsks read(CommandLine* line, const char* environmentPort) {
    std::vector<char*>& w = line->words;
    ProgramOptions o;
    if (!takeProgramOptions(&w, &o)) return CommandLineAsks::Usage;
    line->verbosity = o.verbose ? Verbosity::Verbose
                      : o.quiet ? Verbosity::Quiet
                                : Verbosity::Normal;
    line->args.port = o.port;
    if (!o.port && environmentPort && *environmentPort) {
        line->args.port = environmentPort;
        line->args.portFromEnvironment = true;
    }
    if (o.version) return CommandLineAsks::Version;
    if (w.empty()) return o.help ? CommandLineAsks::ProgramHelp : CommandLineAsks::Usage;
    if (strcmp(w[0], "help") == 0 && w.size() == 1) return CommandLineAsks::ProgramHelp;
    if (strcmp(w[0], "help") == 0) {
        line->command = findCommand(w[1]);
        return line->command ? CommandLineAsks::CommandHelp : noCommand(w[1]);
    }
    return readCommand(line, o.help);
}

}  // namespace

void readCommandLine(int argc, char** argv, const char* environmentPort, CommandLine* line) {
    *line = CommandLine();
    if (argc > 1) line->words.assign(argv + 1, argv + argc);
    line->asks = read(line, environmentPort);
}
