// The replay backend behind --port replay:FILE.
#include "cli/connect.h"

#include "shell/start_options.h"

bool useReplayBackend(const std::string& file, std::string* error) {
    return useReplayFile(file.c_str(), error);
}
