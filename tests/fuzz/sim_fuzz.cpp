// The simulated controller's frame handling on any bytes at any times:
// bytes in chunks, time steps small and large (backwards and across the
// counter's wrap too), output taken, faults switched and the log formatted.
// The log must hold only whole, well-formed frames as received.
//
// Input: a set-up byte (bit 0 generation 3, bit 1 pacing, bits 2..6 the
// variant, bit 7 one time jump allowed) and a fault byte, then steps, each a
// byte choosing what happens followed by that step's bytes.
#include <cstdint>
#include <cstring>

#include "link/blocks.h"
#include "sim/sim.h"
#include "tests/fuzz/harness/fuzz_input.h"

namespace {

const SimFault Faults[] = {SimFault::None,  SimFault::Echo, SimFault::Silent, SimFault::BadSum,
                           SimFault::Short, SimFault::Slow, SimFault::Drop,   SimFault::Garbage};
const size_t FaultCount = sizeof Faults / sizeof Faults[0];

enum Step { Receive, SmallStep, Jump, Take, Fault, Discard, StepCount };

uint32_t nowMs;
size_t checkedFrames;
// A jump forward replays up to two scenario cycles (thousands of steps), so
// only inputs that ask for it get one.
int jumpsLeft;

// Frames logged since the last look: received ones are whole requests
// (a loop-back logs whatever came, in pieces of at most 32).
void checkNewFrames() {
    const std::vector<SimFrame>& log = simFrameLog();
    if (checkedFrames > log.size()) checkedFrames = 0;  // trimmed
    const bool echo = simState().config.fault == SimFault::Echo;
    for (; checkedFrames < log.size(); ++checkedFrames) {
        const SimFrame& f = log[checkedFrames];
        FUZZ_CHECK(f.dir == '>' || f.dir == '<');
        FUZZ_CHECK(!f.bytes.empty() && f.bytes.size() <= 32);
        if (f.dir == '>' && !echo) {
            FUZZ_CHECK(f.bytes.size() == 4);
            FUZZ_CHECK(f.bytes[0] == 0x65 || f.bytes[0] == 0x0B);
            FUZZ_CHECK(byteSum(f.bytes.data(), 3) == f.bytes[3]);
        }
        char text[160];
        const size_t cap = (checkedFrames * 37) % sizeof text;  // every size in turn
        memset(text, 'x', sizeof text);
        const size_t n = simFormatFrame(f, text, cap);
        if (cap > 0) FUZZ_CHECK(n < cap && text[n] == '\0');
        FUZZ_CHECK(text[cap] == 'x' || cap == sizeof text);
    }
}

void receive(FuzzInput& in) {
    uint8_t bytes[64];
    const size_t n = in.bytes(bytes, in.byte() % sizeof bytes);
    simReceive(bytes, n, nowMs);
}

void take(FuzzInput& in) {
    uint8_t out[48];
    const size_t max = in.byte() % sizeof out;
    const size_t pending = simPendingOutput();
    const size_t n = simTakeOutput(out, max, nowMs);
    FUZZ_CHECK(n <= max && simPendingOutput() == pending - n);
    uint32_t next = 0;
    FUZZ_CHECK(simNextRelease(&next) == (simPendingOutput() > 0));
}

void step(FuzzInput& in) {
    switch (in.byte() % StepCount) {
    case Receive: receive(in); break;
    case SmallStep: nowMs += in.byte(); break;
    case Jump: {
        const uint32_t by = in.word32();
        if (jumpsLeft-- <= 0) break;
        nowMs += by;
        simAdvance(nowMs);
        break;
    }
    case Take: take(in); break;
    case Fault: simSetFault(Faults[in.byte() % FaultCount], in.byte()); break;
    case Discard:
        simDiscardOutput();
        FUZZ_CHECK(simPendingOutput() == 0);
        break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const uint8_t setup = in.byte();
    SimConfig config;
    config.generation = (setup & 1) ? 3 : 1;
    config.pace = (setup & 2) != 0;
    config.variant = (setup >> 2) & 0x1F;
    config.fault = Faults[in.byte() % FaultCount];
    config.dropAfter = 6;
    nowMs = 1000;
    checkedFrames = 0;
    jumpsLeft = (setup & 0x80) ? 1 : 0;
    simReset(config, nowMs);
    for (int i = 0; i < 4000 && !in.empty(); ++i) {
        step(in);
        checkNewFrames();
    }
    return 0;
}
