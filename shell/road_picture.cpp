#include "shell/road_picture.h"

#include <csignal>

#include "link/link.h"
#include "shell/road_log.h"
#include "shell/road_plot.h"
#include "shell/start_options.h"
#include "sim/replay.h"

namespace {

// The readings page's ticks over the whole recording, skipping the waits
// ahead on its clock: an hour's drive is drawn in moments.
bool roadLogFromRecording(const char* path, RoadLog* log, std::string* error) {
    if (!loadRecording(path, error)) return false;
    const PortOps* port = LinkPort;
    const std::string selected = SelectedPortPath;
    replayUseRealTime(false);
    useLinkBackend(&replayPortOps);
    selectPort("replay", CommPort);
    static const volatile std::sig_atomic_t never = 0;
    RoadLogRun run{nullptr, log, replayLengthMs() / 1000 + 1, &never, false};
    bool writeFailed = false;
    runRoadLog(run, &writeFailed);
    closePort();
    replayUseRealTime(true);
    useLinkBackend(port);
    selectPort(selected.c_str(), CommPort);
    if (log->samples.empty()) *error = std::string(path) + ": the recording holds no ticks";
    return !log->samples.empty();
}

}  // namespace

bool roadLogFromFile(const char* path, RoadLog* log, std::string* error) {
    std::string asCsv, asRecording;
    if (readRoadLog(path, log, &asCsv)) return true;
    *log = RoadLog();
    if (roadLogFromRecording(path, log, &asRecording)) return true;
    *error = asCsv + "\n" + asRecording;
    return false;
}

bool writeRoadPicture(const char* source, const char* target, std::string* error) {
    RoadLog log;
    if (!roadLogFromFile(source, &log, error)) return false;
    return writePng(target, drawRoadPlot(log), error);
}
