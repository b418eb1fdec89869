#include "cli/road_options.h"

#include <cstdlib>
#include <cstring>

#include "cli/errors.h"

namespace {

// Reads --seconds N, --out FILE, --plot FILE (the command line has kept
// each to the commands that take it) and at most one positional argument.
// False after the error line.
bool readOptions(const CliArgs& args, RoadOptions* o) {
    if (args.argc > 1) return fail(ExitUsage, "one file only, not %s", args.argv[1]), false;
    o->input = args.argc == 1 ? args.argv[0] : nullptr;
    o->out = optionValue(args, "--out");
    o->plot = optionValue(args, "--plot");
    const char* seconds = optionValue(args, "--seconds");
    char* end = nullptr;
    if (seconds && ((o->seconds = strtol(seconds, &end, 10)) <= 0 || *end || o->seconds > 864000))
        return fail(ExitUsage, "--seconds takes a whole number of seconds"), false;
    return true;
}

}  // namespace

bool readRoadOptions(const char* command, const CliArgs& args, RoadOptions* o) {
    *o = RoadOptions();
    if (!readOptions(args, o)) return false;
    // log --out -: the rows on standard output, as without --out.
    if (strcmp(command, "log") == 0 && o->out && strcmp(o->out, "-") == 0) o->out = nullptr;
    if (strcmp(command, "log") == 0 && o->input)
        return fail(ExitUsage, "log takes no file of its own (--out FILE.csv)"), false;
    if (strcmp(command, "plot") == 0 && (!o->input || !o->out))
        return fail(ExitUsage, "plot needs LOG.csv and --out FILE.png"), false;
    if (strcmp(command, "record") == 0 && !o->input)
        return fail(ExitUsage, "record needs the file to record into"), false;
    return true;
}
