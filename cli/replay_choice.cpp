// The replay backend behind --port replay:FILE.
#include "cli/connect.h"

#include "link/link.h"
#include "shell/start_options.h"
#include "sim/replay.h"

bool useReplayBackend(const std::string& file, std::string* error) {
    if (!loadRecording(file.c_str(), error)) return false;
    LinkPort = &replayPortOps;
    return true;
}
