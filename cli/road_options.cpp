#include "cli/road_options.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "cli/errors.h"

namespace {

// The options each command takes, space-separated.
const struct {
    const char* command;
    const char* allowed;
} RoadCommandOptions[] = {
    {"log", "--seconds --out --plot"},
    {"plot", "--out"},
    {"record", "--seconds"},
};

// True when option is one of the space-separated words of allowed.
bool optionAllowed(const char* allowed, const std::string& option) {
    return (" " + std::string(allowed) + " ").find(" " + option + " ") != std::string::npos;
}

// Reads --seconds N, --out FILE, --plot FILE (each only where allowed) and
// at most one positional argument. False after the error line.
bool readOptions(const CliArgs& args, const char* allowed, RoadOptions* o) {
    for (int i = 0; i < args.argc; ++i) {
        const char* a = args.argv[i];
        if (a[0] != '-' || a[1] != '-') {
            if (o->input) return fail(ExitUsage, "one file only, not %s", a), false;
            o->input = a;
            continue;
        }
        if (!optionAllowed(allowed, a)) return fail(ExitUsage, "no option %s here", a), false;
        if (i + 1 >= args.argc) return fail(ExitUsage, "%s needs a value", a), false;
        const char* value = args.argv[++i];
        char* end = nullptr;
        if (strcmp(a, "--out") == 0)
            o->out = value;
        else if (strcmp(a, "--plot") == 0)
            o->plot = value;
        else if ((o->seconds = strtol(value, &end, 10)) <= 0 || *end || o->seconds > 864000)
            return fail(ExitUsage, "--seconds takes a whole number of seconds"), false;
    }
    return true;
}

}  // namespace

bool readRoadOptions(const char* command, const CliArgs& args, RoadOptions* o) {
    *o = RoadOptions();
    const char* allowed = "";
    for (const auto& c : RoadCommandOptions)
        if (strcmp(c.command, command) == 0) allowed = c.allowed;
    if (!readOptions(args, allowed, o)) return false;
    if (strcmp(command, "log") == 0 && o->input)
        return fail(ExitUsage, "log takes no file of its own (--out FILE.csv)"), false;
    if (strcmp(command, "plot") == 0 && (!o->input || !o->out))
        return fail(ExitUsage, "plot needs LOG.csv and --out FILE.png"), false;
    if (strcmp(command, "record") == 0 && !o->input)
        return fail(ExitUsage, "record needs the file to record into"), false;
    return true;
}
