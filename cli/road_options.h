// The arguments of lpgctl log, plot and record, read before anything is
// opened. Portable.
#ifndef ZUVELS_CLI_ROAD_OPTIONS_H
#define ZUVELS_CLI_ROAD_OPTIONS_H

#include "cli/commands.h"

struct RoadOptions {
    long seconds = 0;
    const char* out = nullptr;
    const char* plot = nullptr;
    const char* input = nullptr;  // the one positional argument
};

// The options of command ("log", "plot" or "record") with the checks it
// makes before it opens a port or a file. False after the error line.
bool readRoadOptions(const char* command, const CliArgs& args, RoadOptions* o);

#endif
