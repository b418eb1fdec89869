// The replay backend behind --port replay:FILE.
#include "cli/connect.h"

bool useReplayBackend(const std::string& file, std::string* error) {
    *error = "replay:" + file + ": playing recordings back is not built yet";
    return false;
}
