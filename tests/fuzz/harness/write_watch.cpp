#include "tests/fuzz/harness/write_watch.h"

#include <cstring>

#include "link/blocks.h"
#include "link/link.h"
#include "tests/fuzz/harness/fuzz_input.h"
#include "tests/fuzz/harness/fuzz_port.h"

namespace {

WatchMode mode = WatchMode::Off;
SourceRule rule = nullptr;
unsigned fixedSources = 0;
int writesSeen = 0;
int framesSeen = 0;

bool isRequest(const uint8_t* f) {
    for (const uint8_t* r : RequestFrames)
        if (memcmp(f, r, 4) == 0) return true;
    return false;
}

void checkWrite(const uint8_t* f) {
    ++writesSeen;
    // writeParameter decodes the identity just before it builds the frame.
    const int address = f[1] - (ControllerGeneration == 3 ? 1 : 0);
    const unsigned sources = rule ? rule(address) : fixedSources;
    FUZZ_CHECK(!(sources & NoWriteAllowed));
    FUZZ_CHECK(LinkState == LinkStateKind::Up);
    FUZZ_CHECK(!(sources & FromLive) || LiveValid);
    FUZZ_CHECK(!(sources & FromConfigA) || ConfigAValid);
    FUZZ_CHECK(!(sources & FromConfigB) || ConfigBValid);
    FUZZ_CHECK(!(sources & FromExtended) || ExtendedValid);
}

void onFrame(const uint8_t* f) {
    ++framesSeen;
    if (mode == WatchMode::Off) return;
    if (mode == WatchMode::Exchanges && isRequest(f)) return;
    checkWrite(f);
}

}  // namespace

WriteWatch::WriteWatch(WatchMode m, SourceRule r) : saved_{mode, rule, fixedSources, writesSeen} {
    mode = m;
    rule = r;
    fixedSources = 0;
    writesSeen = 0;
}

WriteWatch::WriteWatch(WatchMode m, unsigned sources) : WriteWatch(m, nullptr) {
    fixedSources = sources;
}

WriteWatch::~WriteWatch() {
    mode = saved_.mode;
    rule = saved_.rule;
    fixedSources = saved_.sources;
    writesSeen = saved_.writes;
}

int WriteWatch::writes() const { return writesSeen; }

int framesSent() { return framesSeen; }

void resetWriteWatch() {
    mode = WatchMode::Off;
    rule = nullptr;
    fixedSources = 0;
    writesSeen = 0;
    framesSeen = 0;
    fuzzport::observeFrames(onFrame);
}
