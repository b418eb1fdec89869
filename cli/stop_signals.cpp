#include "cli/stop_signals.h"

volatile std::sig_atomic_t stopRequested = 0;

namespace {

void onStopSignal(int) { stopRequested = 1; }

}  // namespace

void catchStopSignals() {
    stopRequested = 0;
    std::signal(SIGINT, onStopSignal);
    std::signal(SIGTERM, onStopSignal);
}

void releaseStopSignals() {
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
}

void ignoreBrokenPipe() {
#ifdef SIGPIPE  // Windows has no such signal: a write to a closed pipe just fails
    std::signal(SIGPIPE, SIG_IGN);
#endif
}
