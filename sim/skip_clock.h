// The clock of the in-process backends: where a real port would make the
// caller wait (a read time-out, a sleep), they skip their clock ahead
// instead, so the window never blocks and tests run at full speed.
#ifndef ZUVELS_SIM_SKIP_CLOCK_H
#define ZUVELS_SIM_SKIP_CLOCK_H

#include <chrono>
#include <cstdint>

struct SkipClock {
    bool realTime = true;
    uint64_t realBaseMs = 0;  // steady clock at first use
    uint64_t aheadMs = 0;     // real-time mode: waits skipped so far
    uint64_t virtualMs = 0;   // virtual mode: starts at 0, moves only by skips

    static uint64_t steadyMs() {
        using namespace std::chrono;
        return uint64_t(
            duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    }
    uint32_t now() {
        if (!realTime) return uint32_t(virtualMs);
        if (realBaseMs == 0) realBaseMs = steadyMs();
        return uint32_t(steadyMs() - realBaseMs + aheadMs);
    }
    void skip(uint32_t ms) {
        if (realTime)
            aheadMs += ms;
        else
            virtualMs += ms;
    }
    void useRealTime(bool on) {
        if (on == realTime) return;
        realTime = on;
        virtualMs = 0;
    }
};

#endif
