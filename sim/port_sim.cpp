// Port backend that talks to the in-process simulated controller.
// Everything runs on the caller's thread: a write hands the bytes to the
// model, a read collects what the model has released by then. Where a real
// port would make the caller wait (bytes still on the line, a read time-out,
// sleepMs), this backend moves its own clock ahead instead of blocking, so
// tests run at full speed and a silent controller doesn't freeze the window.
#include "link/port.h"
#include "sim/sim.h"
#include "sim/skip_clock.h"

namespace {

const PortId SimHandle = 1;

SkipClock portClock;
bool modelSetUp = false;
bool handleOpen = false;
PortTimeouts timeouts = {200, 40, 100, 40, 100};

uint32_t clockNow() { return portClock.now(); }

void advanceTo(uint32_t t) {
    const int32_t d = int32_t(t - clockNow());
    if (d > 0) portClock.skip(uint32_t(d));
}

bool valid(PortId h) { return handleOpen && h == SimHandle; }

void ensureModel() {
    if (!modelSetUp) simPortSetup(SimConfig());
}

PortId simOpen(const char* path) {
    (void)path;  // every port leads to the one simulated controller
    ensureModel();
    if (handleOpen) return InvalidPort;  // exclusive, like a real port
    handleOpen = true;
    return SimHandle;
}

bool simApplySettings(PortId h, const PortSettings& s) {
    (void)s;
    return valid(h);
}

bool simApplyTimeouts(PortId h, const PortTimeouts& t) {
    if (!valid(h)) return false;
    timeouts = t;
    return true;
}

bool simPurge(PortId h, unsigned what) {
    if (!valid(h)) return false;
    // Only what has arrived by now is dropped; a late reply still on its way
    // comes in afterwards, as it would on a real line.
    if (what & PurgeRxClear) {
        const uint32_t now = clockNow();
        simAdvance(now);
        uint8_t sink[64];
        while (simTakeOutput(sink, sizeof sink, now) > 0) {}
    }
    return true;
}

bool simWrite(PortId h, const uint8_t* buf, uint32_t n, uint32_t* done) {
    *done = 0;
    if (!valid(h)) return false;
    simReceive(buf, n, clockNow());
    if (simState().config.pace) advanceTo(clockNow() + (n * 1042 + 999) / 1000);
    *done = n;
    return true;
}

bool simRead(PortId h, uint8_t* buf, uint32_t n, uint32_t* done) {
    *done = 0;
    if (!valid(h)) return false;
    uint32_t deadline = clockNow() + timeouts.readTotalMultiplier * n + timeouts.readTotalConstant;
    uint32_t got = 0;
    uint32_t lastByteMs = clockNow();
    for (;;) {
        uint32_t now = clockNow();
        simAdvance(now);
        uint32_t took = uint32_t(simTakeOutput(buf + got, n - got, now));
        if (took) lastByteMs = now;
        got += took;
        if (got == n) break;
        // Whichever time-out comes first ends the read: the total one or,
        // once a byte has come, the interval one, so a reply that stalls or
        // comes short ends an interval after its last byte, as on a real port.
        uint32_t giveUpAt = deadline;
        if (got > 0 && timeouts.readInterval) {
            uint32_t intervalEnd = lastByteMs + timeouts.readInterval;
            if (int32_t(intervalEnd - deadline) < 0) giveUpAt = intervalEnd;
        }
        uint32_t next;
        if (!simNextRelease(&next) || int32_t(next - giveUpAt) > 0) {
            advanceTo(giveUpAt);
            break;
        }
        advanceTo(next);
    }
    *done = got;
    return true;
}

void simClose(PortId h) {
    if (valid(h)) handleOpen = false;
}

uint32_t simTickCount() { return clockNow(); }

void simSleepMs(uint32_t ms) { advanceTo(clockNow() + ms); }

}  // namespace

void simPortSetup(const SimConfig& config) {
    simReset(config, clockNow());
    modelSetUp = true;
}

void simPortUseRealTime(bool on) { portClock.useRealTime(on); }

void simPortAdvanceClock(uint32_t ms) { advanceTo(clockNow() + ms); }

uint32_t simPortNow() { return clockNow(); }

const PortOps simPortOps = PortOps::called("simulated")
                               .withOpen(simOpen)
                               .withSettings(simApplySettings)
                               .withTimeouts(simApplyTimeouts)
                               .withPurge(simPurge)
                               .withWrite(simWrite)
                               .withRead(simRead)
                               .withClose(simClose)
                               .withTickCount(simTickCount)
                               .withSleep(simSleepMs);
